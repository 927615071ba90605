#pragma once
// The four secondary windows, created at start and kept for the run. Their contents come
// with the commands that use them; for now each is an empty window with its caption.

#include <QDialog>

namespace mv {

class TForm1;

// Creates the four windows in start-up order, owned by and known to the main window.
void CreateSecondaryForms(TForm1& form);

class TfrmVersion : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVersion(QWidget* parent = nullptr);
};

class TfrmAdd : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAdd(QWidget* parent = nullptr);
};

class TfrmProperty : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProperty(QWidget* parent = nullptr);
};

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

} // namespace mv
