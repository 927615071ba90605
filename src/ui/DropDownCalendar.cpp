#include "ui/DropDownCalendar.h"

#include "ui/AutoRepeat.h"
#include "ui/JapaneseEra.h"

#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace mv {

namespace {

constexpr int kDays = 7;
constexpr int kRows = 7;

// Monday first: column 0 is Monday, 5 Saturday, 6 Sunday.
int ColumnOfWeekday(int dayOfWeek) {
    return dayOfWeek - 1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TMOSpeedButton

TMOSpeedButton::TMOSpeedButton(Glyph glyph, const QColor& color, QWidget* parent)
    : QWidget(parent), glyph_(glyph), color_(color),
      repeat_(new TAutoRepeat([this] { emit OnClick(); }, this)) {
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(14, 14);
}

bool TMOSpeedButton::Held() const {
    return repeat_->Held();
}

void TMOSpeedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color_);
    // One triangle for a month, two for a year, pointing the way they move.
    const bool back = glyph_ == PrevYear || glyph_ == PrevMonth;
    const int count = glyph_ == PrevYear || glyph_ == NextYear ? 2 : 1;
    const qreal w = 4.5;
    const qreal total = w * count;
    qreal x = (width() - total) / 2 + (Held() ? 1 : 0);
    const qreal mid = height() / 2.0 + (Held() ? 1 : 0);
    for (int i = 0; i < count; ++i, x += w) {
        QPainterPath path;
        if (back) {
            path.moveTo(x + w, mid - 4);
            path.lineTo(x, mid);
            path.lineTo(x + w, mid + 4);
        } else {
            path.moveTo(x, mid - 4);
            path.lineTo(x + w, mid);
            path.lineTo(x, mid + 4);
        }
        path.closeSubpath();
        painter.drawPath(path);
    }
}

void TMOSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    repeat_->Press();
    update();
}

void TMOSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    repeat_->Release();
    update();
}

// ---------------------------------------------------------------------------------------------
// TMOInplaceCalender

TMOInplaceCalender::TMOInplaceCalender(const TMOMonthCalColors& colors, QWidget* parent)
    : QWidget(parent), colors_(colors), date_(QDate::currentDate()) {
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
}

void TMOInplaceCalender::setDate(const QDate& date) {
    if (!date.isValid() || date == date_) return;
    date_ = date;
    update();
    emit OnChange();
}

void TMOInplaceCalender::ShiftMonths(int months) {
    setDate(date_.addMonths(months));
}

QDate TMOInplaceCalender::DayAt(int col, int row) const {
    if (col < 0 || col >= kDays || row < 1 || row >= kRows) return {};
    const QDate first(date_.year(), date_.month(), 1);
    const int index = (row - 1) * kDays + col - ColumnOfWeekday(first.dayOfWeek());
    if (index < 0 || index >= date_.daysInMonth()) return {};
    return first.addDays(index);
}

QRect TMOInplaceCalender::CellRect(int col, int row) const {
    const int left = col * width() / kDays;
    const int top = row * height() / kRows;
    return QRect(left, top, (col + 1) * width() / kDays - left, (row + 1) * height() / kRows - top);
}

bool TMOInplaceCalender::CellAt(const QPoint& pos, int& col, int& row) const {
    if (!rect().contains(pos)) return false;
    col = pos.x() * kDays / width();
    row = pos.y() * kRows / height();
    return col >= 0 && col < kDays && row >= 0 && row < kRows;
}

void TMOInplaceCalender::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), colors_.Color(TMOMonthCalColors::MonthBackColor));
    const auto colourOf = [this](int col) {
        if (col == 6) return colors_.Color(TMOMonthCalColors::WeekEndColor);
        if (col == 5) return colors_.Color(TMOMonthCalColors::SaturDayColor);
        return colors_.Color(TMOMonthCalColors::DayTextColor);
    };
    const QLocale locale;
    for (int col = 0; col < kDays; ++col) {
        const QRect cell = CellRect(col, 0);
        painter.fillRect(cell, colors_.Color(TMOMonthCalColors::MonthFixedColor));
        painter.setPen(colourOf(col));
        QString name = locale.dayName(col + 1, QLocale::ShortFormat);
        // "Mon" and its kin do not fit a 23-pixel cell; "M" does.
        if (painter.fontMetrics().horizontalAdvance(name) > cell.width())
            name = locale.dayName(col + 1, QLocale::NarrowFormat);
        painter.drawText(cell, Qt::AlignCenter, name);
    }
    const QDate today = QDate::currentDate();
    for (int row = 1; row < kRows; ++row) {
        for (int col = 0; col < kDays; ++col) {
            const QDate day = DayAt(col, row);
            if (!day.isValid()) continue;
            const QRect cell = CellRect(col, row);
            QColor text = colourOf(col);
            if (day == date_) {
                painter.fillRect(cell, palette().color(QPalette::Highlight));
                text = palette().color(QPalette::HighlightedText);
            }
            painter.setPen(text);
            painter.drawText(cell, Qt::AlignCenter, QString::number(day.day()));
            if (day == today) {
                painter.save();
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setPen(QPen(Qt::red, 2));
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5));
                painter.restore();
            }
        }
    }
}

void TMOInplaceCalender::mousePressEvent(QMouseEvent* event) {
    int col = 0;
    int row = 0;
    if (event->button() != Qt::LeftButton || !CellAt(event->position().toPoint(), col, row)) return;
    const QDate day = DayAt(col, row);
    if (day.isValid()) setDate(day);
}

void TMOInplaceCalender::mouseReleaseEvent(QMouseEvent* event) {
    int col = 0;
    int row = 0;
    if (event->button() != Qt::LeftButton || event->modifiers() != Qt::NoModifier ||
        !CellAt(event->position().toPoint(), col, row))
        return;
    if (DayAt(col, row).isValid()) emit OnDayReleased();
}

// ---------------------------------------------------------------------------------------------
// TMOStatusPanel

TMOStatusPanel::TMOStatusPanel(const QColor& background, QWidget* parent)
    : QWidget(parent), background_(background) {
    setFocusPolicy(Qt::NoFocus);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setToolTip(QStringLiteral("ここをダブルクリックすると\n今日に移動します。"));
}

QString TMOStatusPanel::Text() const {
    return QStringLiteral("今日: ") + JapaneseEraDate(QDate::currentDate());
}

void TMOStatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::red, 2));
    painter.drawEllipse(QRect(QPoint(2, 2), QPoint(18, 11)));
    painter.restore();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(22, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, Text());
}

void TMOStatusPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit OnDoubleClick();
}

// ---------------------------------------------------------------------------------------------
// TMOPopupPanel

TMOPopupPanel::TMOPopupPanel(const TMOMonthCalColors& colors, const QDate& date, QWidget* owner)
    : QFrame(owner) {
    // A window type that is placed where asked, stays on top and is never activated, so the
    // editor keeps the keyboard focus.
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    const int border = frameWidth();
    const int w = kGridWidth;

    auto* title = new QWidget(this);
    title->setObjectName(QStringLiteral("CalendarTitle"));
    title->setGeometry(border, border, w, kTitleHeight);
    title->setAutoFillBackground(true);
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::Window, colors.Color(TMOMonthCalColors::TitleBackColor));
    title->setPalette(titlePalette);

    const QColor titleText = colors.Color(TMOMonthCalColors::TitleTextColor);
    struct ButtonPlace {
        TMOSpeedButton::Glyph glyph;
        int x;
        const char* name;
        const char16_t* hint;
        int months;
    };
    const ButtonPlace places[] = {
        {TMOSpeedButton::PrevYear, 0, "MOPREVYEAR", u"前年", -12},
        {TMOSpeedButton::PrevMonth, 14, "MOPREVMONTH", u"前月", -1},
        {TMOSpeedButton::NextMonth, w - 31, "MONEXTMONTH", u"翌月", 1},
        {TMOSpeedButton::NextYear, w - 17, "MONEXTYEAR", u"翌年", 12},
    };
    for (const ButtonPlace& place : places) {
        auto* button = new TMOSpeedButton(place.glyph, titleText, title);
        button->setObjectName(QString::fromLatin1(place.name));
        button->setToolTip(QString::fromUtf16(place.hint));
        button->move(place.x, 5);
        const int months = place.months;
        connect(button, &TMOSpeedButton::OnClick, this,
                [this, months] { calendar_->ShiftMonths(months); });
        buttons_[place.glyph] = button;
    }
    monthLabel_ = new QLabel(title);
    monthLabel_->setObjectName(QStringLiteral("MonthLabel"));
    monthLabel_->setGeometry(29, 7, w - 58, 15);
    monthLabel_->setAlignment(Qt::AlignCenter);
    QFont bold = monthLabel_->font();
    bold.setBold(true);
    monthLabel_->setFont(bold);
    monthLabel_->setAttribute(Qt::WA_TranslucentBackground);
    QPalette labelPalette = monthLabel_->palette();
    labelPalette.setColor(QPalette::WindowText, titleText);
    monthLabel_->setPalette(labelPalette);

    calendar_ = new TMOInplaceCalender(colors, this);
    calendar_->setObjectName(QStringLiteral("MonthCalendar"));
    calendar_->setGeometry(border, border + kTitleHeight, w, kGridHeight);
    calendar_->setDate(date);
    connect(calendar_, &TMOInplaceCalender::OnChange, this, &TMOPopupPanel::RefreshMonthLabel);

    status_ = new TMOStatusPanel(colors.Color(TMOMonthCalColors::MonthBackColor), this);
    status_->setObjectName(QStringLiteral("CalendarStatus"));
    status_->setGeometry(border, border + kTitleHeight + kGridHeight, w, kStatusHeight);
    connect(status_, &TMOStatusPanel::OnDoubleClick, this,
            [this] { calendar_->setDate(QDate::currentDate()); });

    setFixedSize(w + 2 * border, kTitleHeight + kGridHeight + kStatusHeight + 2 * border);
    RefreshMonthLabel();
}

void TMOPopupPanel::RefreshMonthLabel() {
    const QDate date = calendar_->Date();
    monthLabel_->setText(
        QStringLiteral("%1年%2月").arg(date.year(), 4, 10, QLatin1Char('0')).arg(date.month()));
}

} // namespace mv
