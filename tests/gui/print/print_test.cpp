// "表の印刷" from the real main window into a PDF file: every page of the list, the check
// marks left out, and an honest report of the outcome.

#include "gui/MainWindowFixture.h"

#include "platform/codepage.h"
#include "ui/GridPrinter.h"
#include "ui/PrintDialog.h"

#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <cstdio>

namespace mvtest {
namespace {

// Runs a poppler tool and gives its standard output.
QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

class PrintCommand : public MainWindowTest {
protected:
    std::string pdf = dir / "list.pdf";
    int dialogsShown = 0;
    int fromPage = -1;
    mv::TPrintRange range = mv::prAllPages;

    void SetUp() override {
        MainWindowTest::SetUp();
        for (int i = 1; i <= 120; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%03d", i);
            writeFavorite("サイト" + std::string(name) + ".url",
                          "http://example.jp/page/" + std::string(name),
                          "コメント" + std::string(name));
        }
        // The dialog "chooses" PDF output and page 2 only; the page range is not honoured.
        mv::TPrintDialog::setAnswerForTesting([this](QPrinter& printer, mv::TPrintDialog& d) {
            ++dialogsShown;
            fromPage = d.FromPage;
            range = d.PrintRange;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setFromTo(2, 2);
            printer.setPrintRange(QPrinter::PageRange);
            return true;
        });
        open();
        ASSERT_EQ(grid().RowCount(), 121);
    }
    void TearDown() override {
        mv::TPrintDialog::setAnswerForTesting({});
        MainWindowTest::TearDown();
    }
    // Each print ends with one message ("出力しました" or the failure) unless it is cancelled.
    void Print(bool reported = true) {
        if (reported) dialogs.answers.push_back(mv::mbOK);
        form->Action("TB_Print")->trigger();
    }
};

TEST_F(PrintCommand, PrintsEveryPageOfTheListIntoThePdf) {
    form->Action("TB_SortBySite")->trigger();
    ASSERT_EQ(cell(1, 1), "サイト001");
    const int checkWidth = grid().ColWidths(0);
    Print();
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_EQ(fromPage, 1) << "the dialog offers a page range from page 1";
    EXPECT_EQ(range, mv::prPageNums);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Information);
    EXPECT_EQ(dialogs.asked[0].text, QStringLiteral("出力しました"));
    EXPECT_EQ(dialogs.asked[0].buttons, unsigned(mv::mbOK));
    EXPECT_EQ(grid().ColWidths(0), checkWidth) << "the check-mark column is back";

    ASSERT_NE(component<mv::TAyaSGridPrinter>("AyaSGridPrinter1"), nullptr);
    const int pages = component<mv::TAyaSGridPrinter>("AyaSGridPrinter1")->PageCount();
    EXPECT_GE(pages, 3) << "120 rows of 20 pixels need several A4 pages";
    const QString info = RunTool(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf)});
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    ASSERT_TRUE(match.hasMatch()) << info.toStdString();
    EXPECT_EQ(match.captured(1).toInt(), pages) << "all pages, not the chosen range";

    // Each page repeats the titles; every favorite is on some page, in order.
    QString text;
    for (int page = 1; page <= pages; ++page) {
        const QString pageText =
            RunTool(QStringLiteral("pdftotext"),
                    {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                     QString::number(page), QString::fromStdString(pdf), QStringLiteral("-")});
        EXPECT_TRUE(pageText.contains(QStringLiteral("サイト名"))) << page;
        EXPECT_TRUE(pageText.contains(QStringLiteral("更新日"))) << page;
        text += pageText;
    }
    // In the grid's order, the order on screen.
    int last = -1;
    for (int r = 1; r <= 120; ++r) {
        const QString name = mv::toQt(cell(1, r));
        const int at = text.indexOf(name, last + 1);
        EXPECT_GT(at, last) << name.toStdString();
        last = std::max(last, at);
    }
    EXPECT_TRUE(text.contains(QStringLiteral("http://example.jp/page/120")));

    // The first page as an image: ink of the table on white paper.
    const QString png = QString::fromStdString(dir / "page");
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("50"),
             QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
             QString::fromStdString(pdf), png});
    QImage image;
    for (const char* suffix : {"-1.png", "-01.png", "-001.png"})
        if (image.load(png + QLatin1String(suffix))) break;
    ASSERT_FALSE(image.isNull());
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) ++dark;
    EXPECT_GT(dark, image.width() * image.height() / 100);
    EXPECT_EQ(qGray(image.pixel(2, 2)), 255) << "the margin stays white";

    if (const char* keep = std::getenv("MARKVANE_KEEP_PRINT_PDF")) {
        QFile::remove(QString::fromLocal8Bit(keep));
        QFile::copy(QString::fromStdString(pdf), QString::fromLocal8Bit(keep));
    }
}

TEST_F(PrintCommand, TheCheckMarkColumnTakesNoRoomOnPaper) {
    setMark(1);
    Print();
    ASSERT_NE(component<mv::TAyaSGridPrinter>("AyaSGridPrinter1"), nullptr);
    // Printing again with a handler that records what reaches paper.
    std::vector<std::pair<int, QRect>> firstRow;
    component<mv::TAyaSGridPrinter>("AyaSGridPrinter1")->OnDrawCell = [&](int col, int row,
                                                                          const QRect& rect) {
        if (row == 1 && firstRow.size() < 5) firstRow.emplace_back(col, rect);
    };
    Print();
    ASSERT_EQ(firstRow.size(), 5u);
    EXPECT_EQ(firstRow[0].first, 0);
    EXPECT_EQ(firstRow[0].second.width(), 0);
    EXPECT_EQ(firstRow[1].second.left(), firstRow[0].second.left())
        << "the site name starts at the margin";
    EXPECT_EQ(grid().ColWidths(0), 40);
}

TEST_F(PrintCommand, ACancelledDialogPrintsNothing) {
    mv::TPrintDialog::setAnswerForTesting([this](QPrinter& printer, mv::TPrintDialog&) {
        ++dialogsShown;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return false;
    });
    Print(false);
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));
}

TEST_F(PrintCommand, AFailedPrintIsNotReportedAsDone) {
    pdf = dir / "missing-folder/list.pdf";
    const int checkWidth = grid().ColWidths(0);
    Print();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Error);
    EXPECT_NE(dialogs.asked[0].text, QStringLiteral("出力しました"));
    EXPECT_EQ(grid().ColWidths(0), checkWidth);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));
}

TEST_F(PrintCommand, APageLostToAFailingHandlerIsReported) {
    Print();
    dialogs.asked.clear();
    component<mv::TAyaSGridPrinter>("AyaSGridPrinter1")->OnBeginPage =
        [](mv::TAyaSGridPrinter& sender) {
            if (sender.CurrentRowPage() == 2) throw std::runtime_error("page handler failed");
        };
    Print();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].type, mv::MsgType::Error);
    // The other pages still reached the file.
    const QString info = RunTool(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf)});
    EXPECT_TRUE(info.contains(QRegularExpression(
        QStringLiteral("Pages:\\s+%1\\b")
            .arg(component<mv::TAyaSGridPrinter>("AyaSGridPrinter1")->PageCount()))))
        << info.toStdString();
}

} // namespace
} // namespace mvtest
