#pragma once
// "プロパティウインドウ": one favorite's site name, URL, comment and update date in larger
// fields. "登録" puts the edits back into the grid row and commits them like an in-place
// edit. Shown without a modal loop; the owner (the main window) is disabled while it is
// visible.

#include "ui/OwnerBlockingDialog.h"
#include <QPointer>

#include <functional>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mv {

// A favorite's editable cells, in the program's code page.
struct PropertyValues {
    std::string SiteName;
    std::string Url;
    std::string Comment; // lines joined by CR LF
};

class TfrmProperty : public TOwnerBlockingDialog {
    Q_OBJECT
public:
    explicit TfrmProperty(QWidget* owner);

    QLineEdit* txtName;
    QLineEdit* txtURL;
    QPlainTextEdit* txtComment;
    QLineEdit* txtDate;
    QPushButton* Button2; // 登録
    QPushButton* Button1; // キャンセル

    // Fills the fields from a grid row and notes the row.
    void Load(int row, const PropertyValues& values, const std::string& date);
    int Row() const { return row_; }
    // The row's cells as they were loaded.
    const PropertyValues& Loaded() const { return loaded_; }
    // The fields as they are now.
    PropertyValues Values() const;

    // Puts the values into the noted row of the grid.
    std::function<void(int row, const PropertyValues& values)> OnStore;
    // Writes the row's changes to its file, once the window is hidden.
    std::function<void(int row)> OnCommit;

    void Button2Click();
    void Button1Click();

protected:
    void Opened() override;

private:
    int row_ = -1;
    PropertyValues loaded_;
};

} // namespace mv
