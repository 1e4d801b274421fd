#include "app/previewdialog.h"

#include "model/airspacetypes.h"
#include "output/devicetext.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// About one pixel for two metres: closer is of no use, and even the other side of the
// earth stays within the coordinates that the toolkit draws exactly.
constexpr double MostPixelsPerUnit = 5e4;
// Zooming out stops when everything is this many times smaller than when it fits.
constexpr double LeastOfFit = 8.0;
// A tooltip lists at most this many airspaces.
constexpr std::size_t MostInToolTip = 6;
const QString settingsGroup = QStringLiteral("PREVIEW");
const QString sizeKey = QStringLiteral("size");
const QSize defaultSize(1000, 720);

QString describe(const PreviewScene::Item &item)
{
    QString text = QCoreApplication::translate("PreviewDialog", "%1\nKlasse %2\nUntergrenze %3 m\nObergrenze %4 m")
                       .arg(item.name, airspaceClassWord(item.writtenClass), deviceMetreText(item.floorCm),
                            deviceMetreText(item.ceilingCm));
    switch (item.state) {
    case PreviewAirspace::State::Written:
        break;
    case PreviewAirspace::State::Fitted:
        text += QLatin1Char('\n') + QCoreApplication::translate("PreviewDialog", "Umriss angepasst");
        break;
    case PreviewAirspace::State::Faulty:
        text += QLatin1Char('\n') + QCoreApplication::translate("PreviewDialog", "nicht geschrieben: fehlerhaft");
        break;
    case PreviewAirspace::State::OverLimit:
        text += QLatin1Char('\n') + QCoreApplication::translate("PreviewDialog", "nicht geschrieben: zu viele Eckpunkte");
        break;
    }
    return text;
}

} // namespace

PreviewView::PreviewView(const PreviewScene &scene, QWidget *parent) : QGraphicsView(parent), m_scene(scene)
{
    // Room to pan around everything, also the airspaces that lie outside the extent.
    QRectF room = scene.extent();
    for (const PreviewScene::Item &item : scene.items())
        room = room.united(item.bounds);
    const double margin = std::max(room.width(), room.height());
    m_graphics.setSceneRect(room.adjusted(-margin, -margin, margin, margin));
    setScene(&m_graphics);

    setDragMode(QGraphicsView::ScrollHandDrag);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    // The map is drawn once and moved while panning; title, legend and scale bar stay
    // in place over it, so the whole view is repainted from that picture.
    setCacheMode(QGraphicsView::CacheBackground);
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
}

double PreviewView::fontPixels() const
{
    const int pixels = QFontInfo(font()).pixelSize();
    return pixels > 0 ? pixels : 12;
}

double PreviewView::titleHeight() const
{
    return std::round(fontPixels() * 2.4);
}

double PreviewView::zoom() const
{
    return std::hypot(transform().m11(), transform().m12());
}

double PreviewView::fitZoom() const
{
    const double pad = 2 * fontPixels();
    const double width = std::max(1.0, viewport()->width() - 2 * pad);
    const double height = std::max(1.0, viewport()->height() - titleHeight() - 2 * pad);
    const QRectF extent = m_scene.extent();
    return std::min(width / extent.width(), height / extent.height());
}

void PreviewView::setZoom(double pixelsPerUnit)
{
    const double least = fitZoom() / LeastOfFit;
    const double scale = std::clamp(pixelsPerUnit, std::min(least, MostPixelsPerUnit), MostPixelsPerUnit);
    setTransform(QTransform::fromScale(scale, scale));
    resetCachedContent();
}

void PreviewView::fitAll()
{
    const double fit = fitZoom();
    setZoom(fit);
    // The title covers the top of the view: the extent is centred in the rest.
    centerOn(m_scene.extent().center() - QPointF(0, titleHeight() / 2 / zoom()));
}

void PreviewView::showItem(int index)
{
    if (index < 0 || std::size_t(index) >= m_scene.items().size()) {
        m_highlighted = -1;
    } else {
        m_highlighted = index;
        // Between a sixth and half of the view, so that it can be seen with what is near it.
        const QRectF bounds = m_scene.items()[std::size_t(index)].bounds;
        const QSizeF half = QSizeF(viewport()->size()) / 2;
        const double fills = std::min(half.width() / std::max(bounds.width(), 1e-9),
                                      half.height() / std::max(bounds.height(), 1e-9));
        setZoom(std::clamp(zoom(), fills / 3, fills));
        centerOn(bounds.center());
    }
    resetCachedContent();
    viewport()->update();
}

void PreviewView::zoomAbout(QPoint viewportPoint, double factor)
{
    const QPointF fixed = viewportTransform().inverted().map(QPointF(viewportPoint));
    setZoom(zoom() * factor);
    const QPointF offset = QPointF(viewportPoint) - QRectF(viewport()->rect()).center();
    centerOn(fixed - offset / zoom());
}

QString PreviewView::toolTipAt(QPoint viewportPoint) const
{
    const std::vector<int> found = m_scene.itemsAt(viewportTransform().inverted().map(QPointF(viewportPoint)));
    QStringList texts;
    for (std::size_t i = 0; i < found.size() && i < MostInToolTip; ++i)
        texts.append(describe(m_scene.items()[std::size_t(found[i])]));
    if (found.size() > MostInToolTip)
        texts.append(QCoreApplication::translate("PreviewDialog", "… und %1 weitere")
                         .arg(QString::number(found.size() - MostInToolTip)));
    return texts.join(QStringLiteral("\n\n"));
}

void PreviewView::drawBackground(QPainter *painter, const QRectF &rect)
{
    painter->fillRect(rect, PreviewColours::background());
    paintPreviewMap(*painter, m_scene, rect, fontPixels(), m_highlighted);
}

void PreviewView::drawForeground(QPainter *painter, const QRectF &)
{
    painter->save();
    painter->resetTransform();
    const QRectF whole(viewport()->rect());
    const QRectF band(whole.left(), whole.top(), whole.width(), titleHeight());
    paintPreviewOverlay(*painter, m_scene, viewportTransform(), whole.adjusted(0, band.height(), 0, 0),
                        fontPixels());
    paintPreviewTitle(*painter, m_scene, band, fontPixels());
    painter->restore();
}

void PreviewView::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y();
    if (steps == 0)
        return QGraphicsView::wheelEvent(event);
    zoomAbout(event->position().toPoint(), std::pow(1.2, steps / 120.0));
    event->accept();
}

void PreviewView::mouseDoubleClickEvent(QMouseEvent *event)
{
    fitAll();
    event->accept();
}

void PreviewView::showEvent(QShowEvent *event)
{
    QGraphicsView::showEvent(event);
    if (!m_fittedOnce) {
        m_fittedOnce = true;
        fitAll();
    }
}

bool PreviewView::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QGraphicsView::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString text = toolTipAt(help->pos());
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, viewport());
    }
    return true;
}

PreviewDialog::PreviewDialog(const PreviewData &data, QSettings *settings, QWidget *parent)
    : QDialog(parent), m_scene(data), m_settings(settings)
{
    setObjectName(QStringLiteral("PreviewDialog"));
    setWindowTitle(tr("Vorschau"));
    setSizeGripEnabled(true);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitterPreview"));
    m_view = new PreviewView(m_scene, splitter);
    m_view->setObjectName(QStringLiteral("graphicsViewPreview"));

    auto *side = new QWidget(splitter);
    side->setObjectName(QStringLiteral("widgetNotWritten"));
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(tr("Nicht geschriebene Lufträume: %1").arg(m_scene.notWrittenOrder().size()), side);
    label->setObjectName(QStringLiteral("labelNotWritten"));
    m_list = new QListWidget(side);
    m_list->setObjectName(QStringLiteral("listWidgetNotWritten"));
    sideLayout->addWidget(label);
    sideLayout->addWidget(m_list);
    for (int index : m_scene.notWrittenOrder()) {
        const PreviewScene::Item &item = m_scene.items()[std::size_t(index)];
        const QString reason = item.state == PreviewAirspace::State::Faulty ? tr("%1 (fehlerhaft)")
                                                                            : tr("%1 (zu viele Eckpunkte)");
        auto *entry = new QListWidgetItem(reason.arg(item.name), m_list);
        entry->setData(Qt::UserRole, index);
    }
    side->setVisible(!m_scene.notWrittenOrder().empty());
    connect(m_list, &QListWidget::currentRowChanged, this, &PreviewDialog::showChosen);

    auto *hint = new QLabel(tr("Mausrad: zoomen, Ziehen: verschieben, Doppelklick: alles zeigen"), this);
    hint->setObjectName(QStringLiteral("labelHint"));
    auto *close = new QPushButton(tr("&Schließen"), this);
    close->setObjectName(QStringLiteral("buttonClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(hint, 1);
    bottom->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);

    QSize size = defaultSize;
    if (m_settings) {
        m_settings->beginGroup(settingsGroup);
        size = m_settings->value(sizeKey, defaultSize).toSize();
        m_settings->endGroup();
    }
    resize(size.expandedTo(minimumSizeHint()).expandedTo(QSize(320, 240)));
    // The map takes most of the width, the list what its names need up to a third.
    const int listWidth = std::min(width() / 3, std::max(m_list->sizeHintForColumn(0) + 24, width() / 5));
    splitter->setSizes({width() - listWidth, listWidth});
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
}

PreviewDialog::~PreviewDialog() = default;

void PreviewDialog::done(int result)
{
    if (m_settings) {
        m_settings->beginGroup(settingsGroup);
        m_settings->setValue(sizeKey, size());
        m_settings->endGroup();
    }
    QDialog::done(result);
}

void PreviewDialog::showChosen()
{
    const QListWidgetItem *entry = m_list->currentItem();
    m_view->showItem(entry ? entry->data(Qt::UserRole).toInt() : -1);
}
