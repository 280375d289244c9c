#include "gui/views/ActivityChart.h"

#include "history/ActivitySample.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace gui {

namespace {

// The wait-class colours the DBAs know from Oracle's own charts, for light grounds.
const QColor kClassColours[history::kWaitClassCount] = {
    QColor(0x2e, 0xb8, 0x2e), // CPU
    QColor(0x1f, 0x5f, 0xd6), // User I/O
    QColor(0x56, 0xa6, 0xe8), // System I/O
    QColor(0x9e, 0x2a, 0x2a), // Concurrency
    QColor(0xd6, 0x3c, 0x3c), // Application
    QColor(0xf0, 0x9a, 0x1f), // Commit
    QColor(0x8a, 0x5a, 0x2b), // Configuration
    QColor(0xb8, 0xa0, 0x7a), // Network
    QColor(0xe0, 0x7a, 0xc0), // Other
};

constexpr int kLeft = 44, kRight = 12, kTop = 26, kBottom = 22;

// A step for the value axis: 1, 2 or 5 times a power of ten, about five steps to the top.
double niceStep(double top) {
    const double raw = top / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(std::max(raw, 1e-9))));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * power)
            return m * power;
    return 10 * power;
}

} // namespace

TActivityChart::TActivityChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("activityChart"));
    setMouseTracking(false);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TActivityChart::SetSeries(history::TActivitySeries series, std::int64_t cpuCount) {
    series_ = std::move(series);
    cpuCount_ = cpuCount;
    update();
}

void TActivityChart::SetSelection(std::optional<std::pair<std::int64_t, std::int64_t>> selection) {
    selection_ = selection;
    update();
}

QColor TActivityChart::ClassColour(int index) const {
    QColor c = kClassColours[std::clamp(index, 0, history::kWaitClassCount - 1)];
    // On a dark ground the same hues, lighter, keep their contrast.
    if (palette().color(QPalette::Base).lightness() < 128)
        c = c.lighter(135);
    return c;
}

QRect TActivityChart::PlotRect() const {
    return QRect(kLeft, kTop, std::max(width() - kLeft - kRight, 10),
                 std::max(height() - kTop - kBottom, 10));
}

std::int64_t TActivityChart::TimeAt(int x) const {
    const QRect plot = PlotRect();
    const double f = std::clamp(static_cast<double>(x - plot.left()) / plot.width(), 0.0, 1.0);
    return series_.from + static_cast<std::int64_t>(
                              std::llround(f * static_cast<double>(series_.to - series_.from)));
}

int TActivityChart::XOf(std::int64_t time) const {
    const QRect plot = PlotRect();
    const double span = static_cast<double>(std::max<std::int64_t>(series_.to - series_.from, 1));
    return plot.left() + static_cast<int>(std::lround(static_cast<double>(time - series_.from) /
                                                      span * plot.width()));
}

double TActivityChart::Top() const {
    const double top = std::max({series_.Peak(), static_cast<double>(cpuCount_), 1.0}) * 1.1;
    const double step = niceStep(top);
    return std::ceil(top / step) * step;
}

void TActivityChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Base));
    const QRect plot = PlotRect();
    const QColor text = pal.color(QPalette::Text);
    QColor grid = text;
    grid.setAlpha(40);
    const double top = Top();
    auto yOf = [&](double v) { return plot.bottom() - v / top * plot.height(); };

    // Value axis and its grid.
    p.setFont(font());
    const QFontMetrics fm(font());
    const double step = niceStep(top);
    for (double v = 0; v <= top + 1e-9; v += step) {
        const int y = static_cast<int>(std::lround(yOf(v)));
        p.setPen(grid);
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(text);
        const QString label = QString::number(v, 'g', 4);
        p.drawText(QRect(0, y - fm.height() / 2, kLeft - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, label);
    }

    // The stacked areas, bottom class first; a bucket's value is drawn at its middle.
    const std::size_t n = series_.buckets.size();
    if (n > 0) {
        const double bucketWidth = static_cast<double>(plot.width()) / static_cast<double>(n);
        std::vector<double> below(n, 0.0);
        p.setRenderHint(QPainter::Antialiasing, true);
        for (int c = 0; c < history::kWaitClassCount; ++c) {
            bool any = false;
            for (std::size_t i = 0; i < n && !any; ++i)
                any = series_.buckets[i][static_cast<std::size_t>(c)] > 0;
            if (!any)
                continue;
            QPolygonF area;
            area.reserve(static_cast<qsizetype>(2 * n + 2));
            std::vector<double> above(n);
            for (std::size_t i = 0; i < n; ++i) {
                above[i] = below[i] + series_.buckets[i][static_cast<std::size_t>(c)];
                const double x = plot.left() + (static_cast<double>(i) + 0.5) * bucketWidth;
                area << QPointF(x, yOf(above[i]));
            }
            for (std::size_t i = n; i-- > 0;) {
                const double x = plot.left() + (static_cast<double>(i) + 0.5) * bucketWidth;
                area << QPointF(x, yOf(below[i]));
            }
            const QColor colour = ClassColour(c);
            p.setPen(QPen(colour.darker(115), 1));
            p.setBrush(colour);
            p.drawPolygon(area);
            below = std::move(above);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
    }

    // The CPUs: what the instance can run at once.
    if (cpuCount_ > 0) {
        const int y = static_cast<int>(std::lround(yOf(static_cast<double>(cpuCount_))));
        p.setPen(QPen(text, 1.5, Qt::DashLine));
        p.drawLine(plot.left(), y, plot.right(), y);
        // The caption sits on a patch of the background, so that the areas under it do not
        // hide it.
        const QString caption = QStringLiteral("CPUs: %1").arg(cpuCount_);
        const int width = fm.horizontalAdvance(caption) + 6;
        const QRect box(plot.right() - 4 - width, y - fm.height() - 2, width, fm.height());
        QColor patch = pal.color(QPalette::Base);
        patch.setAlpha(200);
        p.fillRect(box, patch);
        p.drawText(box, Qt::AlignCenter, caption);
    }

    // The selection, and the range being dragged.
    QColor shade = pal.color(QPalette::Highlight);
    shade.setAlpha(60);
    auto drawRange = [&](int x1, int x2) {
        const QRect r = QRect(std::min(x1, x2), plot.top(), std::abs(x2 - x1) + 1, plot.height())
                            .intersected(plot);
        p.fillRect(r, shade);
        p.setPen(QPen(pal.color(QPalette::Highlight), 2));
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.drawLine(r.topRight(), r.bottomRight());
    };
    if (dragStart_)
        drawRange(*dragStart_, dragEnd_);
    else if (selection_ && series_.to > series_.from)
        drawRange(XOf(selection_->first), XOf(selection_->second));

    // Axes and time labels.
    p.setPen(text);
    p.setBrush(Qt::NoBrush);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    const std::int64_t span = series_.to - series_.from;
    if (span > 0) {
        const QString format =
            span > 6 * 3600 ? QStringLiteral("HH:mm") : QStringLiteral("HH:mm:ss");
        const int labels = std::max(2, plot.width() / (fm.horizontalAdvance(format) + 40));
        for (int i = 0; i <= labels; ++i) {
            const std::int64_t t = series_.from + span * i / labels;
            const int x = XOf(t);
            p.drawLine(x, plot.bottom(), x, plot.bottom() + 3);
            const QString label = QDateTime::fromSecsSinceEpoch(t).toString(format);
            const int w = fm.horizontalAdvance(label);
            const int left = std::clamp(x - w / 2, 0, width() - w);
            p.drawText(QRect(left, plot.bottom() + 4, w, fm.height()), Qt::AlignCenter, label);
        }
    }

    // The legend, in stacking order.
    int x = plot.left();
    const int box = fm.height() - 4;
    for (int c = 0; c < history::kWaitClassCount; ++c) {
        const QString name =
            QString::fromStdString(history::ChartWaitClasses()[static_cast<std::size_t>(c)]);
        const int w = box + 4 + fm.horizontalAdvance(name) + 12;
        if (x + w > width())
            break;
        p.fillRect(QRect(x, 6, box, box), ClassColour(c));
        p.setPen(text);
        p.drawText(QRect(x + box + 4, 4, w, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, name);
        x += w;
    }
}

void TActivityChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const int x =
        std::clamp(event->position().toPoint().x(), PlotRect().left(), PlotRect().right());
    dragStart_ = x;
    dragEnd_ = x;
    update();
}

void TActivityChart::mouseMoveEvent(QMouseEvent* event) {
    if (!dragStart_)
        return QWidget::mouseMoveEvent(event);
    dragEnd_ = std::clamp(event->position().toPoint().x(), PlotRect().left(), PlotRect().right());
    update();
}

void TActivityChart::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragStart_ || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    dragEnd_ = std::clamp(event->position().toPoint().x(), PlotRect().left(), PlotRect().right());
    const int a = std::min(*dragStart_, dragEnd_), b = std::max(*dragStart_, dragEnd_);
    dragStart_.reset();
    if (b - a < 3)
        selection_.reset(); // a click: the whole range again
    else
        selection_ = std::make_pair(TimeAt(a), TimeAt(b));
    update();
    Q_EMIT selectionChanged();
}

} // namespace gui
