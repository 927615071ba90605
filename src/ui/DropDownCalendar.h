#pragma once
// The drop-down calendar of the grid editor: a pop-up panel (TMOPopupPanel) with a title bar
// holding the month and four auto-repeat buttons (TMOSpeedButton), the month grid
// (TMOInplaceCalender) and a status line with today's date (TMOStatusPanel).

#include "ui/GridColumns.h"

#include <QDate>
#include <QFrame>
#include <QWidget>

class QLabel;

namespace mv {

class TAutoRepeat;

// A small button that acts on the press and repeats while held.
class TMOSpeedButton : public QWidget {
    Q_OBJECT
public:
    enum Glyph { PrevYear, PrevMonth, NextMonth, NextYear };
    TMOSpeedButton(Glyph glyph, const QColor& color, QWidget* parent);

    bool Held() const;

signals:
    // On the press, and again while held.
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Glyph glyph_;
    QColor color_;
    TAutoRepeat* repeat_;
};

// The month grid: 7 x 7 cells, the day names (from Monday) in row 0, the days below.
class TMOInplaceCalender : public QWidget {
    Q_OBJECT
public:
    TMOInplaceCalender(const TMOMonthCalColors& colors, QWidget* parent);

    QDate Date() const { return date_; }
    void setDate(const QDate& date);
    // Moves the shown date by `months`, keeping the day where the month has it.
    void ShiftMonths(int months);
    // The day shown in cell (col, row), or an invalid date for an empty cell or row 0.
    QDate DayAt(int col, int row) const;
    QRect CellRect(int col, int row) const;

signals:
    void OnChange();      // the shown date changed
    void OnDayReleased(); // a day was clicked: the choice is made

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool CellAt(const QPoint& pos, int& col, int& row) const;

    TMOMonthCalColors colors_;
    QDate date_;
};

// The status line: today's date in the Japanese era; a double click moves to today.
class TMOStatusPanel : public QWidget {
    Q_OBJECT
public:
    TMOStatusPanel(const QColor& background, QWidget* parent);

    QString Text() const;

signals:
    void OnDoubleClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QColor background_;
};

// The pop-up window holding the three parts. It never takes the focus from the editor.
class TMOPopupPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kTitleHeight = 25;
    static constexpr int kStatusHeight = 15;
    static constexpr int kGridWidth = 160;
    static constexpr int kGridHeight = 100;

    TMOPopupPanel(const TMOMonthCalColors& colors, const QDate& date, QWidget* owner);

    TMOInplaceCalender* Calendar() const { return calendar_; }
    TMOStatusPanel* StatusPanel() const { return status_; }
    QLabel* MonthLabel() const { return monthLabel_; }
    TMOSpeedButton* Button(TMOSpeedButton::Glyph glyph) const { return buttons_[glyph]; }
    // "yyyy年m月" of the shown month.
    void RefreshMonthLabel();

private:
    TMOInplaceCalender* calendar_;
    TMOStatusPanel* status_;
    QLabel* monthLabel_;
    TMOSpeedButton* buttons_[4];
};

} // namespace mv
