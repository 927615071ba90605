#pragma once
// A printer with a fixed resolution and page size whose pages are images, so printed tables
// can be checked without a printer.

#include "ui/PrinterDevice.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

namespace mv::test {

class ImagePrinter final : public TPrinterDevice {
public:
    // Without `render` the pages are counted but not kept (a 600 dpi page is 140 MB).
    ImagePrinter(int dpi, int pageWidth, int pageHeight, bool render = true)
        : dpi_(dpi), width_(pageWidth), height_(pageHeight), render_(render) {}
    ~ImagePrinter() override { EndDoc(); }

    bool BeginDoc() {
        pages.clear();
        StartPage();
        return painter_->isActive();
    }
    void EndDoc() { painter_.reset(); }

    int DpiX() const override { return dpi_; }
    int DpiY() const override { return dpi_; }
    int PageWidth() const override { return width_; }
    int PageHeight() const override { return height_; }
    QPainter* Canvas() override {
        return painter_ && painter_->isActive() ? painter_.get() : nullptr;
    }
    bool NewPage() override {
        if (failNewPage) return false;
        StartPage();
        return true;
    }

    bool failNewPage = false;
    std::vector<QImage> pages;

private:
    void StartPage() {
        painter_.reset();
        QImage page = render_ ? QImage(width_, height_, QImage::Format_RGB32)
                              : QImage(8, 8, QImage::Format_RGB32);
        page.fill(Qt::white);
        // Fonts given in points come out at the printer's resolution.
        const int dotsPerMeter = int(dpi_ / 0.0254 + 0.5);
        page.setDotsPerMeterX(dotsPerMeter);
        page.setDotsPerMeterY(dotsPerMeter);
        pages.push_back(std::move(page));
        painter_ = std::make_unique<QPainter>(&pages.back());
    }

    int dpi_;
    int width_;
    int height_;
    bool render_;
    std::unique_ptr<QPainter> painter_;
};

} // namespace mv::test
