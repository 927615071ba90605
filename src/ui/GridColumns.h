#pragma once
// Column descriptions of the check-box string grid: one TMOGridColumn per grid column sets
// colours, fonts, alignment, editing, the input method and the kind of in-place editor.

#include <QColor>
#include <QFont>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace mv {

class TMOStringGrid;
class TMOGridColumns;

enum TMOColumnButtonStyle {
    cbsList,
    cbsDropList,
    cbsEllipsis,
    cbsCheckBox,
    cbsSimple,
    cbsSpin,
    cbsCalendar
};
enum TMOGridStyle { mgsNormal, mgsStriped };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TAlignmentV { tavTop, tavCenter, tavBottom };
enum TInputDataType { dtString, dtInteger };
enum TMODateFormat { dtLong, dtShort };
enum TImeMode {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};

// Steps and limits of the spin editor; MinValue == MaxValue means no limit.
struct TMOSpinButtonOption {
    int Increment = 1;
    int MaxValue = 0;
    int MinValue = 0;
    bool operator==(const TMOSpinButtonOption&) const = default;
};

// Colours of the drop-down calendar, addressed by index as well as by name.
class TMOMonthCalColors {
public:
    enum Index {
        MonthFixedColor,
        SaturDayColor,
        TitleBackColor,
        TitleTextColor,
        MonthBackColor,
        WeekEndColor,
        DayTextColor,
        Count
    };
    TMOMonthCalColors();
    QColor Color(int index) const { return colors_.at(size_t(index)); }
    void setColor(int index, const QColor& color) { colors_.at(size_t(index)) = color; }
    bool operator==(const TMOMonthCalColors&) const = default;

private:
    std::array<QColor, Count> colors_;
};

class TMOGridColumn {
public:
    // Takes its colour and fonts from the collection's grid (standard ones without a grid).
    explicit TMOGridColumn(TMOGridColumns* collection);
    TMOGridColumn(const TMOGridColumn&) = delete;
    TMOGridColumn& operator=(const TMOGridColumn&) = delete;

    int Index() const;
    TMOGridColumns* Collection() const { return collection_; }

    TAlignment FixAlignment() const { return fixAlignment_; }
    void setFixAlignment(TAlignment value);
    TAlignmentV FixAlignmentV() const { return fixAlignmentV_; }
    void setFixAlignmentV(TAlignmentV value);
    const TMOSpinButtonOption& SpinButtonOption() const { return spinButtonOption_; }
    void setSpinButtonOption(const TMOSpinButtonOption& value) { spinButtonOption_ = value; }
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment value);
    TAlignmentV AlignmentV() const { return alignmentV_; }
    void setAlignmentV(TAlignmentV value);
    bool CanEdit() const { return canEdit_; }
    void setCanEdit(bool value) { canEdit_ = value; }
    QColor Color() const { return color_; }
    void setColor(const QColor& value);
    // Title shown in row 0 when that cell is empty. An empty caption is stored as " ".
    const std::string& Caption() const { return caption_; }
    void setCaption(std::string value);
    TInputDataType DataType() const { return dataType_; }
    void setDataType(TInputDataType value) { dataType_ = value; }
    // Font of the title cells; its colour is FixCellFontColor.
    const QFont& FixCellFont() const { return fixCellFont_; }
    void setFixCellFont(const QFont& value);
    QColor FixCellFontColor() const { return fixCellFontColor_; }
    void setFixCellFontColor(const QColor& value);
    // Font of the normal cells and of the editor; its colour is FontColor.
    const QFont& Font() const { return font_; }
    void setFont(const QFont& value);
    QColor FontColor() const { return fontColor_; }
    void setFontColor(const QColor& value);
    TImeMode ImeMode() const { return imeMode_; }
    void setImeMode(TImeMode value) { imeMode_ = value; }
    // Also sets DataType: dtInteger for cbsSpin, dtString otherwise.
    TMOColumnButtonStyle ButtonStyle() const { return buttonStyle_; }
    void setButtonStyle(TMOColumnButtonStyle value);
    const std::vector<std::string>& ListStrings() const { return listStrings_; }
    void setListStrings(std::vector<std::string> value);
    const TMOMonthCalColors& CalColors() const { return calColors_; }
    void setCalColors(const TMOMonthCalColors& value) { calColors_ = value; }
    TMODateFormat DateFormat() const { return dateFormat_; }
    void setDateFormat(TMODateFormat value) { dateFormat_ = value; }

    // Copies Caption, Alignment, DataType, DateFormat, CalColors, CanEdit, Color, the fonts and
    // ImeMode; centres the title alignment; keeps AlignmentV, ButtonStyle, ListStrings and
    // SpinButtonOption.
    void Assign(const TMOGridColumn& source);

private:
    void Repaint();
    void Changed();

    TMOGridColumns* collection_;
    TAlignment fixAlignment_ = taCenter;
    TAlignmentV fixAlignmentV_ = tavCenter;
    TMOSpinButtonOption spinButtonOption_;
    TAlignment alignment_ = taLeftJustify;
    TAlignmentV alignmentV_ = tavCenter;
    bool canEdit_ = true;
    QColor color_;
    std::string caption_;
    TInputDataType dataType_ = dtString;
    QFont fixCellFont_;
    QColor fixCellFontColor_;
    QFont font_;
    QColor fontColor_;
    TImeMode imeMode_ = imDisable;
    TMOColumnButtonStyle buttonStyle_ = cbsSimple;
    std::vector<std::string> listStrings_;
    TMOMonthCalColors calColors_;
    TMODateFormat dateFormat_ = dtShort;
};

// The grid's column collection. A collection without a grid can be filled and then assigned
// to a grid's collection.
class TMOGridColumns {
public:
    explicit TMOGridColumns(TMOStringGrid* grid = nullptr);
    TMOGridColumns(const TMOGridColumns&) = delete;
    TMOGridColumns& operator=(const TMOGridColumns&) = delete;
    ~TMOGridColumns();

    TMOStringGrid* Grid() const { return grid_; }
    int Count() const { return int(items_.size()); }
    TMOGridColumn& Items(int index) { return *items_.at(size_t(index)); }
    const TMOGridColumn& Items(int index) const { return *items_.at(size_t(index)); }
    TMOGridColumn& operator[](int index) { return Items(index); }
    const TMOGridColumn& operator[](int index) const { return Items(index); }

    // Each of these reports a change to the grid, which then follows with its ColCount.
    TMOGridColumn& Add();
    void Delete(int index);
    void Clear();
    // Replaces the items by copies (TMOGridColumn::Assign) of `source`'s items.
    void Assign(const TMOGridColumns& source);

    // Changes between BeginUpdate and EndUpdate are reported once, at the end.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    // False while the grid itself adjusts the collection to its ColCount.
    bool SyncColCount() const { return syncColCount_; }

private:
    friend class TMOGridColumn;
    friend class TMOStringGrid;

    void Changed();
    void Repaint();

    TMOStringGrid* grid_;
    std::vector<std::unique_ptr<TMOGridColumn>> items_;
    bool syncColCount_ = true;
    int updateCount_ = 0;
    bool changedWhileUpdating_ = false;
};

} // namespace mv
