#pragma once
// TURLLink: a text label that links to a web page or a mail address. It takes LinkColor while
// the mouse is over it, can show the address in a small hint window beside the pointer, and a
// left click opens the target.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QUrl>

#include <functional>

namespace mv {

enum TURLtype { tpURL, tpMAIL };

class TURLLink : public QLabel {
    Q_OBJECT
public:
    explicit TURLLink(QWidget* parent = nullptr);
    ~TURLLink() override;

    TURLtype URLType() const { return urlType_; }
    void setURLType(TURLtype value);
    // The web address, or the mail address for tpMAIL.
    const QString& Link() const { return link_; }
    void setLink(const QString& value);
    QColor LinkColor() const { return linkColor_; }
    void setLinkColor(const QColor& value);
    const QFont& HintFormFont() const { return hintFormFont_; }
    void setHintFormFont(const QFont& value);
    bool EnableShowHint() const { return enableShowHint_; }
    void setEnableShowHint(bool value);
    QColor HintFormColor() const { return hintFormColor_; }
    void setHintFormColor(const QColor& value);
    int HintOffsetX() const { return hintOffsetX_; }
    void setHintOffsetX(int value);
    int HintOffsetY() const { return hintOffsetY_; }
    void setHintOffsetY(int value);

    // The label's own properties under the names the windows use.
    bool Transparent() const { return !autoFillBackground(); }
    void setTransparent(bool value);
    QString Caption() const { return text(); }
    void setCaption(const QString& value);
    QColor FontColor() const;
    void setFontColor(const QColor& value);
    QColor Color() const;
    void setColor(const QColor& value);

    // What a left click opens: Link, or "mailto:" + Link for tpMAIL.
    QUrl Target() const;
    // Opens the target; the default hands it to the desktop's opener.
    std::function<bool(const QUrl&)> Opener;

    // The address window, for the windows that lay it out and for tests.
    QWidget* HintWindow() const { return hint_; }
    bool HintShown() const { return hintShown_; }

signals:
    // A press on the label, any button, before the target is opened.
    void mouseDown(Qt::MouseButton button);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ShowHint(const QPoint& globalPos);
    void HideHint();

    TURLtype urlType_ = tpURL;
    QString link_ = QStringLiteral("http://");
    QColor linkColor_ = Qt::red;
    QFont hintFormFont_;
    bool enableShowHint_ = true;
    QColor hintFormColor_;
    int hintOffsetX_ = 15;
    int hintOffsetY_ = 15;

    QWidget* hint_ = nullptr; // a window of its own, without owner
    bool hintShown_ = false;
    bool hovered_ = false;
    QColor savedFontColor_;
};

} // namespace mv
