// TShfOperation: what it hands the shell, the errors it raises before reaching it, and the
// program's own configuration (undo on, nothing else) end to end on real files.

#include "organize/FileOperation.h"
#include "OrganizeTestSupport.h"
#include "platform/error.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace mvtest;
namespace fs = std::filesystem;

namespace {

struct Recorded {
    unsigned func = 0;
    std::vector<std::string> from, to;
    uint16_t flags = 0;
    std::string title;
    int calls = 0;
};

// Records what the component hands the shell; answers with `result` and `aborted`.
void record(mv::TShfOperation& op, Recorded& rec, int result = 0, bool aborted = false) {
    op.setShellForTesting([&rec, result, aborted](mv::SHFILEOPSTRUCTA* s) {
        ++rec.calls;
        rec.func = s->wFunc;
        rec.from = mv::splitPathList(s->pFrom);
        rec.to = mv::splitPathList(s->pTo);
        rec.flags = s->fFlags;
        rec.title = s->lpszProgressTitle ? s->lpszProgressTitle : "(none)";
        s->fAnyOperationsAborted = aborted ? 1 : 0;
        return result;
    });
}

std::string errorText(mv::TShfOperation& op) {
    try {
        op.Execute();
    } catch (const mv::Error& e) {
        return e.text().toStdString();
    }
    return "no error";
}

TEST(ShfOperation, IncompleteInputRaisesBeforeTheShell) {
    mv::TShfOperation op;
    Recorded rec;
    record(op, rec);
    EXPECT_EQ(op.OperationF, mv::foMOVE);
    EXPECT_EQ(op.FlagWord(), 0);

    EXPECT_EQ(errorText(op), "ShfOperation:ﾌｧｲﾙが指定されていません.");
    op.FromFFList = {"/x/a.url"};
    op.Options.MUILIDESTFILES = true;
    EXPECT_EQ(errorText(op), "ShfOperation:ﾀｰｹﾞｯﾄが指定されていません.");
    EXPECT_EQ(rec.calls, 0);

    op.Options.MUILIDESTFILES = false; // then an empty ToFiles is fine
    EXPECT_EQ(errorText(op), "no error");
    EXPECT_EQ(rec.calls, 1);
}

TEST(ShfOperation, BufferHoldsEachPathWithItsZeroAndTenMoreZeros) {
    const std::vector<std::string> paths = {std::string(10, 'a'), std::string(20, 'b'),
                                            std::string(5, 'c')};
    const auto buf = mv::TShfOperation::BuildPathBuffer(paths);
    ASSERT_EQ(buf.size(), 48u);
    EXPECT_EQ(std::string(buf.data(), 38), std::string(10, 'a') + '\0' + std::string(20, 'b') +
                                               '\0' + std::string(5, 'c') + '\0');
    EXPECT_EQ(std::string(buf.data() + 38, 10), std::string(10, '\0'));
    EXPECT_EQ(mv::splitPathList(buf.data()), paths);
    // Lengths are bytes: a Japanese name counts three bytes a character in UTF-8.
    EXPECT_EQ(mv::TShfOperation::BuildPathBuffer({"お気に入り"}).size(), 15u + 1 + 10);
}

TEST(ShfOperation, RecordCarriesOperationFlagsListsAndResult) {
    mv::TShfOperation op; // configured as the main window's ShfOperation1
    op.Options.ALLOWUNDO = true;
    Recorded rec;
    record(op, rec, mv::kShfCancelled, true);

    op.FromFFList = {"/f/a b.url", "/f/お気に入り.url"};
    op.ToFolder = "/g/dest";
    op.ToFiles = {"/ignored"};
    op.OperationF = mv::foCOPY;
    EXPECT_EQ(op.Execute(), mv::kShfCancelled);
    EXPECT_TRUE(op.fAbort());
    EXPECT_EQ(rec.func, mv::FO_COPY);
    EXPECT_EQ(rec.flags, 0x40);
    EXPECT_EQ(rec.from, op.FromFFList);
    EXPECT_EQ(rec.to, std::vector<std::string>{"/g/dest"});
    EXPECT_EQ(rec.title, "(none)");

    record(op, rec, 0, false);
    for (auto [f, code] : {std::pair{mv::foMOVE, 1u}, {mv::foDELETE, 3u}, {mv::foRENAME, 4u}}) {
        op.OperationF = f;
        EXPECT_EQ(op.Execute(), 0);
        EXPECT_EQ(rec.func, code);
        EXPECT_FALSE(op.fAbort()); // each run sets it anew
    }

    op.Options = {true, true, true, true, true, true, true, true};
    op.ProgressTitle = "進行中";
    op.Execute();
    EXPECT_EQ(rec.flags, 0x3DD);
    EXPECT_EQ(rec.to, op.ToFiles); // MUILIDESTFILES: one target per source
    EXPECT_EQ(rec.title, "進行中");
}

TEST(ShfOperation, ProgramConfigurationDeletesSeveralFavoritesToTheTrashAfterOneQuestion) {
    TrashHome home;
    ScriptedDialogs dialogs;
    mv::TShfOperation op;
    op.Options.ALLOWUNDO = true;
    fs::create_directories(home / "fav");
    for (int i = 1; i <= 5; ++i) {
        op.FromFFList.push_back(home / ("fav/site " + std::to_string(i) + ".url"));
        writeBytes(op.FromFFList.back(), std::to_string(i));
    }
    op.OperationF = mv::foDELETE;

    dialogs.answers = {mv::mbNo};
    op.Execute();
    EXPECT_TRUE(op.fAbort());
    EXPECT_EQ(countEntries(home / "fav"), 5u);

    dialogs.answers = {mv::mbYes};
    EXPECT_EQ(op.Execute(), 0);
    EXPECT_FALSE(op.fAbort());
    EXPECT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(countEntries(home / "fav"), 0u);
    auto entries = trashEntries(home.trash());
    for (const auto& p : op.FromFFList) {
        EXPECT_EQ(readBytes(entries[p]), p.substr(p.size() - 5, 1)) << p;
    }
}

} // namespace
