// TActivityChart: the stacked area chart of the Activity page — the average active sessions by
// wait class over the shown range, the number of CPUs as a dashed line, a legend, and the range
// the user drags over, drawn with QPainter from a reduced series (a bucket per few pixels at
// most). Colours follow the palette: the areas lighten on dark grounds, texts and axes take the
// palette's text colour. QPainter rather than Qt Charts: Qt Charts took 15 to 19 ms to redraw
// the nine stacked areas of a reduced day at 1280 x 360, at or over a frame, where this takes
// about 11 (quenby-bench activity). User-interface thread only.
#pragma once

#include "history/ActivitySeries.h"

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <utility>

namespace gui {

class TActivityChart final : public QWidget {
    Q_OBJECT
public:
    explicit TActivityChart(QWidget* parent = nullptr);

    void SetSeries(history::TActivitySeries series, std::int64_t cpuCount);
    const history::TActivitySeries& Series() const { return series_; }
    // The selected range (seconds since the epoch, end excluded), if any.
    std::optional<std::pair<std::int64_t, std::int64_t>> Selection() const { return selection_; }
    void SetSelection(std::optional<std::pair<std::int64_t, std::int64_t>> selection);

    // The colour of a wait class (index of history::ChartWaitClasses) on this palette.
    QColor ClassColour(int index) const;
    // The rectangle the areas are drawn in.
    QRect PlotRect() const;
    // The time at x in the plot, and back.
    std::int64_t TimeAt(int x) const;
    int XOf(std::int64_t time) const;

    QSize sizeHint() const override { return {720, 260}; }
    QSize minimumSizeHint() const override { return {200, 90}; }

Q_SIGNALS:
    // The user dragged over a range (released the mouse); an empty optional when a click
    // without a drag cleared the selection.
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double Top() const; // the value at the top of the plot
    history::TActivitySeries series_;
    std::int64_t cpuCount_ = 0;
    std::optional<std::pair<std::int64_t, std::int64_t>> selection_;
    std::optional<int> dragStart_;
    int dragEnd_ = 0;
};

} // namespace gui
