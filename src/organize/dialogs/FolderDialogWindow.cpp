#include "FolderDialogWindow.h"

#include "FolderTree.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace mv {

TFolderDialogForm::TFolderDialogForm(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("FolderDialogForm"));
    // A close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    TopPanel = new QWidget(this);
    TopPanel->setObjectName(QStringLiteral("TopPanel"));
    TopPanel->setFixedHeight(33);
    MessageLabel = new QLabel(TopPanel);
    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    auto* top = new QHBoxLayout(TopPanel);
    top->setContentsMargins(8, 0, 8, 0);
    top->addWidget(MessageLabel);
    layout->addWidget(TopPanel);

    FolderTree = new TFolderTree(this);
    FolderTree->setObjectName(QStringLiteral("FolderTree"));
    layout->addWidget(FolderTree, 1);

    BottomPanel = new QWidget(this);
    BottomPanel->setObjectName(QStringLiteral("BottomPanel"));
    BottomPanel->setFixedHeight(41);
    OkButton = new QPushButton(QStringLiteral("OK(&O)"), BottomPanel);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    CancelButton = new QPushButton(QStringLiteral("キャンセル(&C)"), BottomPanel);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    for (QPushButton* b : {OkButton, CancelButton}) {
        b->setFixedSize(81, 25);
        b->setAutoDefault(false); // the default button is chosen by the dialog component
    }
    auto* bottom = new QHBoxLayout(BottomPanel);
    bottom->setContentsMargins(8, 8, 8, 8);
    bottom->addStretch(1);
    bottom->addWidget(OkButton);
    bottom->addWidget(CancelButton);
    layout->addWidget(BottomPanel);

    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TFolderDialogForm::done(int result) {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(canClose);
    if (!canClose) return;
    if (OnClose) OnClose();
    QDialog::done(result);
}

void TFolderDialogForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (OnFocus) OnFocus();
    if (OnShow) OnShow();
}

} // namespace mv
