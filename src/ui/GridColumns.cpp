#include "ui/GridColumns.h"

#include "ui/CheckBoxGrid.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace mv {

TMOMonthCalColors::TMOMonthCalColors() {
    const QPalette palette = QGuiApplication::palette();
    colors_ = {QColor(Qt::white),
               QColor(Qt::blue),
               palette.color(QPalette::Active, QPalette::Highlight),
               QColor(Qt::white),
               QColor(Qt::white),
               QColor(Qt::red),
               palette.color(QPalette::WindowText)};
}

// ---------------------------------------------------------------------------------------------
// TMOGridColumn

TMOGridColumn::TMOGridColumn(TMOGridColumns* collection) : collection_(collection) {
    const TMOStringGrid* grid = collection ? collection->Grid() : nullptr;
    const QPalette palette = grid ? grid->palette() : QGuiApplication::palette();
    color_ = grid ? grid->Color() : palette.color(QPalette::Base);
    font_ = grid ? grid->font() : QFont();
    fontColor_ = palette.color(QPalette::Text);
    fixCellFont_ = font_;
    fixCellFontColor_ = fontColor_;
}

int TMOGridColumn::Index() const {
    if (!collection_) return -1;
    const auto& items = collection_->items_;
    const auto it = std::find_if(items.begin(), items.end(),
                                 [this](const auto& item) { return item.get() == this; });
    return it == items.end() ? -1 : int(it - items.begin());
}

void TMOGridColumn::Repaint() {
    if (collection_) collection_->Repaint();
}

void TMOGridColumn::Changed() {
    if (collection_) collection_->Changed();
}

void TMOGridColumn::setFixAlignment(TAlignment value) {
    if (value == fixAlignment_) return;
    fixAlignment_ = value;
    Repaint();
}

void TMOGridColumn::setFixAlignmentV(TAlignmentV value) {
    if (value == fixAlignmentV_) return;
    fixAlignmentV_ = value;
    Repaint();
}

void TMOGridColumn::setAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    Repaint();
}

void TMOGridColumn::setAlignmentV(TAlignmentV value) {
    if (value == alignmentV_) return;
    alignmentV_ = value;
    Repaint();
}

void TMOGridColumn::setColor(const QColor& value) {
    if (value == color_) return;
    color_ = value;
    Repaint();
}

void TMOGridColumn::setCaption(std::string value) {
    // An empty caption would let an empty title cell stay blank; one blank keeps it explicit.
    if (value.empty()) value.push_back(' ');
    if (value == caption_) return;
    caption_ = std::move(value);
    Repaint();
}

void TMOGridColumn::setFixCellFont(const QFont& value) {
    if (value == fixCellFont_) return;
    fixCellFont_ = value;
    Changed();
}

void TMOGridColumn::setFixCellFontColor(const QColor& value) {
    if (value == fixCellFontColor_) return;
    fixCellFontColor_ = value;
    Changed();
}

void TMOGridColumn::setFont(const QFont& value) {
    if (value == font_) return;
    font_ = value;
    Changed();
}

void TMOGridColumn::setFontColor(const QColor& value) {
    if (value == fontColor_) return;
    fontColor_ = value;
    Changed();
}

void TMOGridColumn::setButtonStyle(TMOColumnButtonStyle value) {
    dataType_ = value == cbsSpin ? dtInteger : dtString;
    if (value == buttonStyle_) return;
    buttonStyle_ = value;
    Changed();
}

void TMOGridColumn::setListStrings(std::vector<std::string> value) {
    if (value == listStrings_) return;
    listStrings_ = std::move(value);
    Changed();
}

void TMOGridColumn::Assign(const TMOGridColumn& source) {
    if (&source == this) return;
    caption_ = source.caption_;
    alignment_ = source.alignment_;
    dataType_ = source.dataType_;
    dateFormat_ = source.dateFormat_;
    calColors_ = source.calColors_;
    canEdit_ = source.canEdit_;
    color_ = source.color_;
    fixCellFont_ = source.fixCellFont_;
    fixCellFontColor_ = source.fixCellFontColor_;
    font_ = source.font_;
    fontColor_ = source.fontColor_;
    imeMode_ = source.imeMode_;
    fixAlignmentV_ = tavCenter;
    fixAlignment_ = taCenter;
    Changed();
}

// ---------------------------------------------------------------------------------------------
// TMOGridColumns

TMOGridColumns::TMOGridColumns(TMOStringGrid* grid) : grid_(grid) {}

TMOGridColumns::~TMOGridColumns() = default;

TMOGridColumn& TMOGridColumns::Add() {
    items_.push_back(std::make_unique<TMOGridColumn>(this));
    TMOGridColumn& item = *items_.back();
    Changed();
    return item;
}

void TMOGridColumns::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    items_.erase(items_.begin() + index);
    Changed();
}

void TMOGridColumns::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

void TMOGridColumns::Assign(const TMOGridColumns& source) {
    if (&source == this) return;
    BeginUpdate();
    items_.clear();
    for (const auto& item : source.items_) {
        items_.push_back(std::make_unique<TMOGridColumn>(this));
        items_.back()->Assign(*item);
    }
    changedWhileUpdating_ = true;
    EndUpdate();
}

void TMOGridColumns::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && changedWhileUpdating_) {
        changedWhileUpdating_ = false;
        Changed();
    }
}

void TMOGridColumns::Changed() {
    if (updateCount_ > 0) {
        changedWhileUpdating_ = true;
        return;
    }
    if (grid_) grid_->GridColumnsChanged();
}

void TMOGridColumns::Repaint() {
    if (updateCount_ > 0)
        changedWhileUpdating_ = true;
    else if (grid_)
        grid_->InvalidateGrid();
}

} // namespace mv
