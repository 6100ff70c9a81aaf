#pragma once
// An icon drawn from an SVG file the way Qt's SVG icon plugin draws it, but read only when it is
// first drawn. Qt's plugin is loaded (with the search of the plugin folder) for the first icon and
// parses each file as the icon is made, which would hold up the window's start for icons that
// show only in menus or not at all.
#include <QIconEngine>
#include <memory>

class QSvgRenderer;

class CSvgIconEngine final : public QIconEngine
{
public:
    explicit CSvgIconEngine(QString path);
    ~CSvgIconEngine() override;

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

private:
    QSvgRenderer& Renderer();

    QString m_path;
    std::shared_ptr<QSvgRenderer> m_renderer; // shared by the copies, made on first use
};
