#pragma once
// A status bar with fixed-width panels (TStatusBar) and a progress bar that sits in one of its
// panels (TStatusProgressBar).

#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>

#include <string>
#include <vector>

namespace mv {

struct TStatusPanel {
    int Width = 50;
    std::string Text; // program bytes
};

// Panels laid out from the left, each `Width` pixels, the last one taking the rest.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);

    int PanelCount() const { return int(panels_.size()); }
    const TStatusPanel& Panels(int index) const { return panels_.at(size_t(index)); }
    int AddPanel(int width); // gives the new panel's index
    void setPanelWidth(int index, int width);
    void setPanelText(int index, std::string text);
    // Bounds of panel `index` in the bar's coordinates; the rule a progress bar is placed by.
    QRect PanelRect(int index) const;

signals:
    void PanelsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<TStatusPanel> panels_;
};

// A progress bar (range 0..100 at first) placed into panel PanelIndex of StatusBar.
class TStatusProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit TStatusProgressBar(QWidget* parent = nullptr);
    ~TStatusProgressBar() override;

    TStatusBar* StatusBar() const { return statusBar_; }
    // Moves the bar into panel 0 of `statusBar` (PanelIndex becomes 0). Without a status bar the
    // bar goes onto its window, keeping its bounds.
    void setStatusBar(TStatusBar* statusBar);
    int PanelIndex() const { return panelIndex_; }
    // Moves the bar into that panel; an index the status bar has no panel for is ignored.
    void setPanelIndex(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place(int index);

    QPointer<TStatusBar> statusBar_;
    int panelIndex_ = 0;
};

} // namespace mv
