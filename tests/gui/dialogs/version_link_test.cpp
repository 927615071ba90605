#include "DialogsFixture.h"

#include "ui/LinkLabel.h"

#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <vector>

using mvtest::DialogsTest;

namespace {

mv::VersionBlock blockWith(std::vector<uint32_t> translations) {
    mv::VersionBlock b;
    b.translations = std::move(translations);
    b.values["\\StringFileInfo\\041103A4\\ProductName"] = "お気に入り整理";
    b.values["\\StringFileInfo\\041103A4\\ProductVersion"] = "2.5.13";
    return b;
}

class VersionTest : public DialogsTest {};

TEST_F(VersionTest, ShowsProductNameAndVersionFromTheVersionBlock) {
    const mv::VersionBlock block = blockWith({0x03A40411u});
    mv::setVersionBlockForTesting(&block);
    mv::TfrmVersion window(nullptr);
    EXPECT_EQ(window.Label1->text(), QStringLiteral("お気に入り整理"));
    EXPECT_EQ(window.Label2->text(), QStringLiteral("Version: 2.5.13"));
    // Sized to its text, its right edge kept in place.
    EXPECT_EQ(window.Label2->geometry().right() + 1, 324);
    EXPECT_EQ(window.Label2->width(), window.Label2->sizeHint().width());
    EXPECT_FALSE(window.Image2->pixmap().isNull());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(window.size(), QSize(345, 224));
}

TEST_F(VersionTest, WithoutAVersionBlockTheTextsAreEmpty) {
    mv::setVersionBlockForTesting(nullptr);
    mv::TfrmVersion window(nullptr);
    EXPECT_EQ(window.Label1->text(), QString());
    EXPECT_EQ(window.Label2->text(), QStringLiteral("Version: "));
    EXPECT_EQ(window.Label2->geometry().right() + 1, 324);

    // A block without translations stops the filling; the placeholders stay.
    const mv::VersionBlock broken = blockWith({});
    mv::setVersionBlockForTesting(&broken);
    mv::TfrmVersion placeholders(nullptr);
    EXPECT_EQ(placeholders.Label1->text(), QStringLiteral("Markvane"));
    EXPECT_EQ(placeholders.Label2->text(), QStringLiteral("Version: ?"));
    EXPECT_FALSE(placeholders.Image2->pixmap().isNull());
}

// The secondary windows are windows of their own, not children of the main window.
template <class T> std::vector<T*> windowsOf() {
    std::vector<T*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w)) found.push_back(t);
    return found;
}

// The program leaves the secondary windows to the first command that shows one of them.
TEST_F(VersionTest, WindowsLeftForFirstUseAreMadeOnceByTheFirstCommand) {
    form = std::make_unique<mv::TForm1>(settings);
    mv::CreateSecondaryFormsOnFirstUse(*form);
    form->show();
    QApplication::processEvents();
    EXPECT_TRUE(windowsOf<mv::TfrmVersion>().empty());
    EXPECT_TRUE(windowsOf<mv::TForm2>().empty());
    for (int time = 0; time < 2; ++time) {
        trigger("TB_Version");
        const auto versions = windowsOf<mv::TfrmVersion>();
        ASSERT_EQ(versions.size(), 1u);
        EXPECT_TRUE(versions[0]->isVisible());
        EXPECT_FALSE(form->isEnabled());
        versions[0]->close();
        QApplication::processEvents();
        EXPECT_TRUE(form->isEnabled());
    }
    // The others were made with it.
    EXPECT_EQ(windowsOf<mv::TForm2>().size(), 1u);
    EXPECT_EQ(windowsOf<mv::TfrmAdd>().size(), 1u);
}

TEST_F(VersionTest, DisablesTheMainWindowUntilClosedAnyWay) {
    openAll();
    for (int way = 0; way < 3; ++way) {
        trigger("TB_Version");
        ASSERT_TRUE(secondary.frmVersion->isVisible());
        EXPECT_FALSE(form->isEnabled());
        if (way == 0)
            QTest::mouseClick(secondary.frmVersion->btnClose, Qt::LeftButton);
        else if (way == 1)
            secondary.frmVersion->close();
        else
            QTest::keyClick(secondary.frmVersion, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_FALSE(secondary.frmVersion->isVisible()) << way;
        EXPECT_TRUE(form->isEnabled()) << way;
    }
}

TEST_F(VersionTest, ItsLinksOpenThroughTheDesktop) {
    openAll();
    mv::TfrmVersion& window = *secondary.frmVersion;
    for (mv::TURLLink* link : {window.URLLink1, window.URLLink3}) {
        EXPECT_FALSE(link->EnableShowHint());
        EXPECT_EQ(link->URLType(), mv::tpURL);
        EXPECT_EQ(link->FontColor(), QColor(Qt::blue));
        EXPECT_EQ(link->LinkColor(), QColor(Qt::red));
        // Inside the white panel.
        EXPECT_TRUE(window.Panel1->rect().contains(link->geometry()))
            << link->objectName().toStdString();
    }
    trigger("TB_Version");
    QTest::mouseClick(window.URLLink3, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(window.URLLink3->Link()));
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("https"));
    secondary.frmVersion->close();
}

class LinkTest : public ::testing::Test {
protected:
    QWidget host;
    mv::TURLLink* link = new mv::TURLLink(&host);
    std::vector<QUrl> opened;

    void SetUp() override {
        link->Opener = [this](const QUrl& u) {
            opened.push_back(u);
            return true;
        };
        link->setCaption(QStringLiteral("リンク"));
        link->setGeometry(10, 10, 100, 20);
        host.resize(200, 100);
        host.show();
        QApplication::processEvents();
    }
    void enter() {
        QEnterEvent e(QPointF(5, 5), QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(link, &e);
    }
    void leave() {
        QEvent e(QEvent::Leave);
        QApplication::sendEvent(link, &e);
    }
    void move(QPoint local) {
        QMouseEvent e(QEvent::MouseMove, QPointF(local), link->mapToGlobal(QPointF(local)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &e);
    }
};

TEST_F(LinkTest, LeftClickOpensTheWebOrMailTarget) {
    link->setLink(QStringLiteral("https://example.org/ページ?q=1"));
    QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://example.org/ページ?q=1")));

    link->setURLType(mv::tpMAIL);
    link->setLink(QStringLiteral("taro@example.jp"));
    QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], QUrl(QStringLiteral("mailto:taro@example.jp")));

    // Right and middle clicks are seen but open nothing.
    std::vector<Qt::MouseButton> pressed;
    QObject::connect(link, &mv::TURLLink::mouseDown,
                     [&](Qt::MouseButton b) { pressed.push_back(b); });
    QTest::mouseClick(link, Qt::RightButton);
    QTest::mouseClick(link, Qt::MiddleButton);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(pressed, (std::vector<Qt::MouseButton>{Qt::RightButton, Qt::MiddleButton}));
}

TEST_F(LinkTest, TakesTheLinkColourWhileTheMouseIsOver) {
    link->setFontColor(Qt::darkGreen);
    link->setLinkColor(Qt::magenta);
    enter();
    EXPECT_EQ(link->FontColor(), QColor(Qt::magenta));
    leave();
    EXPECT_EQ(link->FontColor(), QColor(Qt::darkGreen));
}

TEST_F(LinkTest, TheHintWindowShowsTheAddressBesideThePointer) {
    link->setLink(QStringLiteral("https://example.org/"));
    link->setHintOffsetX(7);
    link->setHintOffsetY(9);
    link->setHintFormColor(Qt::yellow);
    enter();
    move({20, 5});
    ASSERT_TRUE(link->HintShown());
    QWidget* hint = link->HintWindow();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->parentWidget(), nullptr);
    EXPECT_TRUE(hint->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(hint->pos(), link->mapToGlobal(QPoint(20, 5)) + QPoint(7, 9));
    const QFontMetrics metrics(link->HintFormFont());
    EXPECT_EQ(hint->size(),
              QSize(metrics.horizontalAdvance(link->Link()) + 6, metrics.height() + 3));
    EXPECT_EQ(hint->palette().color(QPalette::Window), QColor(Qt::yellow));
    // Further moves leave it where it is.
    move({60, 8});
    EXPECT_EQ(hint->pos(), link->mapToGlobal(QPoint(20, 5)) + QPoint(7, 9));
    leave();
    EXPECT_FALSE(hint->isVisible());

    enter();
    move({20, 5});
    ASSERT_TRUE(hint->isVisible());
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_FALSE(hint->isVisible());
    EXPECT_FALSE(link->HintShown());

    link->setEnableShowHint(false);
    move({20, 5});
    EXPECT_FALSE(link->HintShown());
    EXPECT_FALSE(hint->isVisible());
}

} // namespace
