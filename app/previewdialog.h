#pragma once

#include "app/previewrender.h"

#include <QDialog>
#include <QGraphicsScene>
#include <QGraphicsView>

class QListWidget;
class QSettings;

// The preview map in a view: the wheel zooms about the cursor, dragging pans, a double
// click shows everything again, and the airspaces under the cursor show as a tooltip.
class PreviewView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit PreviewView(const PreviewScene &scene, QWidget *parent = nullptr);

    // The whole extent, as the picture file shows it.
    void fitAll();
    // Centres the item (an index of the scene's items), zooming out when it does not fit,
    // and outlines it strongly; -1 outlines none.
    void showItem(int index);
    // Pixels per scene unit.
    double zoom() const;
    // Zooms by `factor` about a point of the viewport, which keeps its place.
    void zoomAbout(QPoint viewportPoint, double factor);
    // What the tooltip says at a point of the viewport; empty where there is no airspace.
    QString toolTipAt(QPoint viewportPoint) const;

protected:
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;
    void wheelEvent(QWheelEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    double fontPixels() const;
    double titleHeight() const;
    // The zoom at which the whole extent fits.
    double fitZoom() const;
    void setZoom(double pixelsPerUnit);

    const PreviewScene &m_scene;
    QGraphicsScene m_graphics;
    int m_highlighted = -1;
    bool m_fittedOnce = false;
};

// Shows the preview of a run: the map, and the airspaces that were not written in a list;
// choosing one centres the map on it. Its size is kept in the settings.
class PreviewDialog : public QDialog
{
    Q_OBJECT

public:
    PreviewDialog(const PreviewData &data, QSettings *settings, QWidget *parent = nullptr);
    ~PreviewDialog() override;

    PreviewView *view() const { return m_view; }
    void done(int result) override;

private:
    void showChosen();

    PreviewScene m_scene;
    QSettings *m_settings;
    PreviewView *m_view = nullptr;
    QListWidget *m_list = nullptr;
};
