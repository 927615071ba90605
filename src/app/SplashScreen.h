#pragma once
// The start-up window shown while the other windows are created.

#include <QWidget>

class QLabel;

namespace mv {

class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* parent = nullptr);
    QLabel* VersionLabel() const { return label2_; }
    // Fills the version label; raises when the version block has no translation table.
    void FormShow();

private:
    QLabel* label2_;
};

} // namespace mv
