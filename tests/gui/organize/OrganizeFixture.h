#pragma once
// The main window over a temporary favorites folder, with the trash in the same temporary
// folder and a way to find rows by site name.

#include "../MainWindowFixture.h"

#include "platform/fileattr.h"

namespace mvtest {

class OrganizeTest : public MainWindowTest {
protected:
    std::string data = dir / "data";

    void SetUp() override {
        MainWindowTest::SetUp();
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_DATA_HOME");
        MainWindowTest::TearDown();
    }

    int rowOf(const std::string& siteName) {
        for (int r = 1; r < grid().RowCount(); ++r)
            if (cell(1, r) == siteName) return r;
        return -1;
    }
    void mark(const std::string& siteName) { setMark(rowOf(siteName)); }
    std::vector<std::string> siteNames() {
        std::vector<std::string> names;
        for (int r = 1; r < grid().RowCount(); ++r)
            names.push_back(cell(1, r));
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> filesIn(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string trash() { return data + "/Trash"; }
};

} // namespace mvtest
