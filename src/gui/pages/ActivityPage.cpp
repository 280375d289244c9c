#include "gui/pages/ActivityPage.h"

#include "gui/views/ActivityChart.h"
#include "gui/views/ListHeaderKeeper.h"
#include "monitor/RememberedSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>
#include <memory>

namespace gui {

namespace {

QString timeText(std::int64_t t, bool withDate) {
    return QDateTime::fromSecsSinceEpoch(t).toString(
        withDate ? QStringLiteral("yyyy-MM-dd HH:mm:ss") : QStringLiteral("HH:mm:ss"));
}

QString windowName(int window) {
    switch (window) {
    case TActivityPage::Last5Minutes:
        return QStringLiteral("the last 5 minutes");
    case TActivityPage::LastDay:
        return QStringLiteral("the last day");
    default:
        return QStringLiteral("the last hour");
    }
}

QTreeWidget* makeList(const char* name, history::TTopList kind, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    QStringList captions;
    for (const std::string& c : history::TopColumns(kind))
        captions << QString::fromStdString(c);
    // The share is a narrow figure: its heading is too, so that three lists fit side by side.
    captions.back() = QStringLiteral("%");
    list->setHeaderLabels(captions);
    list->headerItem()->setToolTip(static_cast<int>(captions.size()) - 1,
                                   QStringLiteral("Share of the samples of the range"));
    // The columns take their contents' widths (a program or an event is not cut), the last one
    // stretches, and what the user sets is remembered like in every other list; Ctrl+C copies.
    list->header()->setStretchLastSection(true);
    new TListHeaderKeeper(*list, QString::fromLatin1(name));
    list->setMinimumSize(60, 40);
    return list;
}

} // namespace

std::int64_t TActivityPage::WindowSeconds(int window) {
    switch (window) {
    case Last5Minutes:
        return 300;
    case LastDay:
        return 86400;
    default:
        return 3600;
    }
}

TActivityPage::TActivityPage(std::shared_ptr<history::TActivitySampler> sampler, QWidget* parent)
    : QWidget(parent), sampler_(std::move(sampler)) {
    setObjectName(QStringLiteral("activityPageContent"));
    auto* layout = new QVBoxLayout(this);

    auto* bar = new QHBoxLayout;
    auto* rangeCaption = new QLabel(QStringLiteral("&Range:"), this);
    windowCombo_ = new QComboBox(this);
    windowCombo_->setObjectName(QStringLiteral("activityWindow"));
    windowCombo_->addItems({QStringLiteral("Last 5 minutes"), QStringLiteral("Last hour"),
                            QStringLiteral("Last day")});
    windowCombo_->setCurrentIndex(LastHour);
    rangeCaption->setBuddy(windowCombo_);
    summaryLabel_ = new QLabel(this);
    summaryLabel_->setObjectName(QStringLiteral("activitySummary"));
    summaryLabel_->setWordWrap(true); // a narrow window wraps it rather than growing
    pngButton_ = new QPushButton(QStringLiteral("Export &PNG..."), this);
    pngButton_->setObjectName(QStringLiteral("activityPngButton"));
    csvButton_ = new QPushButton(QStringLiteral("Export &CSV..."), this);
    csvButton_->setObjectName(QStringLiteral("activityCsvButton"));
    bar->addWidget(rangeCaption);
    bar->addWidget(windowCombo_);
    bar->addSpacing(12);
    bar->addWidget(summaryLabel_, 1);
    bar->addWidget(pngButton_);
    bar->addWidget(csvButton_);
    layout->addLayout(bar);

    chart_ = new TActivityChart(this);
    chart_->setToolTip(QStringLiteral("Drag over the chart to list the top sessions, SQL and "
                                      "events of a range; click it to list the whole chart"));
    // The chart above, the range's lists below, the border between them movable; either gives
    // way in a small window.
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("activitySplit"));
    split->setChildrenCollapsible(false);
    split->addWidget(chart_);
    auto* below = new QWidget(split);
    auto* belowLayout = new QVBoxLayout(below);
    belowLayout->setContentsMargins(0, 0, 0, 0);
    rangeLabel_ = new QLabel(this);
    rangeLabel_->setObjectName(QStringLiteral("activityRange"));
    rangeLabel_->setWordWrap(true);
    belowLayout->addWidget(rangeLabel_);
    auto* lists = new QSplitter(Qt::Horizontal, below);
    listsSplit_ = lists;
    auto group = [&](const char* caption, QTreeWidget* list) {
        auto* box = new QGroupBox(QString::fromLatin1(caption), lists);
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(4, 4, 4, 4);
        list->setParent(box);
        boxLayout->addWidget(list);
        lists->addWidget(box);
    };
    sessionList_ = makeList("activitySessions", history::TTopList::Sessions, this);
    sqlList_ = makeList("activitySql", history::TTopList::Sql, this);
    eventList_ = makeList("activityEvents", history::TTopList::Events, this);
    group("Top Sessions", sessionList_);
    group("Top SQL", sqlList_);
    group("Top Events", eventList_);
    lists->setSizes({450, 240, 330});
    belowLayout->addWidget(lists, 1);
    split->addWidget(below);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);

    connect(windowCombo_, &QComboBox::currentIndexChanged, this, [this] {
        chart_->SetSelection(std::nullopt);
        Reload();
    });
    connect(chart_, &TActivityChart::selectionChanged, this, [this] { Reload(); });
    connect(pngButton_, &QPushButton::clicked, this, [this] { AskPng(); });
    connect(csvButton_, &QPushButton::clicked, this, [this] { AskCsv(); });
    connect(sessionList_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && OnOpenSession)
            OnOpenSession(item->text(0).toStdString(), item->text(1).toStdString());
    });
    connect(sqlList_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && OnOpenSql)
            OnOpenSql(item->text(0).toStdString());
    });
    // Each sample moves the chart on while the page is in front; the lists of a selected range
    // stay as they are.
    // A longer range is read again once a bucket of its chart has passed (a day's bucket is a
    // few minutes), not after every sample.
    sampler_->OnSampled = [this] {
        const std::int64_t bucket = std::max<std::int64_t>(chart_->Series().bucketSeconds, 1);
        if (shown_ && !reader_.Busy() && sinceRead_.isValid() &&
            sinceRead_.elapsed() >= bucket * 1000 - 500)
            Reload(!chart_->Selection().has_value());
    };
    ShowRead({}, {}, {});
    readsShown_ = 0;
}

TActivityPage::~TActivityPage() {
    sampler_->OnSampled = nullptr;
}

void TActivityPage::SetShown(bool shown) {
    const bool was = shown_;
    shown_ = shown;
    if (shown && !was)
        Reload();
}

std::pair<std::int64_t, std::int64_t> TActivityPage::ListedRange() const {
    if (const auto selection = chart_->Selection())
        return *selection;
    return {chart_->Series().from, chart_->Series().to};
}

void TActivityPage::Reload(bool lists) {
    sinceRead_.start();
    const std::int64_t to = QDateTime::currentSecsSinceEpoch() + 1;
    const std::int64_t from = to - WindowSeconds(windowCombo_->currentIndex());
    const auto selection = chart_->Selection();
    const std::int64_t listFrom = selection ? selection->first : from;
    const std::int64_t listTo = selection ? selection->second : to;
    // A bucket per two pixels at most: a day at one-second samples is drawn from a few hundred
    // points.
    const int buckets = std::max(chart_->PlotRect().width() / 2, 60);
    struct TRead {
        history::TActivitySeries series;
        history::TActivitySummary summary;
        std::string error;
    };
    const bool summarize = lists;
    auto read = std::make_shared<TRead>();
    read->series.from = from;
    read->series.to = to;
    auto store = sampler_->SharedStore();
    if (!store) {
        ShowRead(read->series, read->summary, {});
        return;
    }
    reader_.Read(
        store,
        [read, from, to, listFrom, listTo, buckets, summarize](sqlite3* db) {
            try {
                read->series = history::ReadActivitySeries(db, from, to, buckets);
                if (summarize)
                    read->summary = history::SummarizeActivity(db, listFrom, listTo);
            } catch (const std::exception& e) {
                read->error = e.what();
            }
        },
        [this, read, summarize] {
            ShowRead(read->series, summarize ? read->summary : summary_, read->error);
        });
}

void TActivityPage::ShowRead(const history::TActivitySeries& series,
                             const history::TActivitySummary& summary, const std::string& error) {
    ++readsShown_;
    chart_->SetSeries(series, sampler_->Facts().cpuCount);
    summary_ = summary;
    const int window = windowCombo_->currentIndex();
    if (!error.empty()) {
        summaryLabel_->setText(QStringLiteral("The activity history could not be read: ") +
                               QString::fromStdString(error));
    } else if (!sampler_->Store()) {
        summaryLabel_->setText(QStringLiteral("No samples yet: Quenby samples the active sessions "
                                              "every second while it is connected."));
    } else {
        // The whole chart's average: its instants and samples over the shown range.
        double samples = 0, instants = 0;
        for (std::size_t i = 0; i < series.buckets.size(); ++i) {
            if (!series.sampled[i])
                continue;
            instants += 1;
            for (double v : series.buckets[i])
                samples += v;
        }
        const double average = instants > 0 ? samples / instants : 0.0;
        QString text = QStringLiteral("%1 active sessions on average over %2")
                           .arg(average, 0, 'f', 2)
                           .arg(windowName(window));
        if (sampler_->Facts().cpuCount > 0)
            text += QStringLiteral("; %1 CPUs").arg(sampler_->Facts().cpuCount);
        if (sampler_->Store()->InMemory())
            text += QStringLiteral(" (kept in memory)");
        summaryLabel_->setText(text);
    }
    if (chart_->Selection()) {
        const bool days = summary.to - summary.from > 86400 ||
                          QDateTime::fromSecsSinceEpoch(summary.from).date() !=
                              QDateTime::currentDateTime().date();
        rangeLabel_->setText(
            QStringLiteral("Selected %1 to %2: %3 samples at %4 sampling instants, %5 active "
                           "sessions on average. Click the chart to list all of it.")
                .arg(timeText(summary.from, days), timeText(summary.to, days))
                .arg(summary.samples)
                .arg(summary.instants)
                .arg(summary.averageActive, 0, 'f', 2));
    } else {
        rangeLabel_->setText(QStringLiteral("Top lists of %1 (%2 samples). Drag over the chart "
                                            "to list a range of it.")
                                 .arg(windowName(window))
                                 .arg(summary.samples));
    }
    FillList(sessionList_, history::TTopList::Sessions, summary.sessions);
    FillList(sqlList_, history::TTopList::Sql, summary.sql);
    FillList(eventList_, history::TTopList::Events, summary.events);
    // At the first rows the lists share the width as their columns need it, so that none is cut
    // while another has room to spare; afterwards the user's division stays.
    if (!listsSized_ && sessionList_->topLevelItemCount() > 0) {
        listsSized_ = true;
        QList<int> needs;
        for (QTreeWidget* list : {sessionList_, sqlList_, eventList_}) {
            int need = 2 * list->frameWidth() + 12;
            for (int c = 0; c < list->columnCount(); ++c)
                need += std::max(static_cast<const QAbstractItemView&>(*list).sizeHintForColumn(c),
                                 list->header()->sectionSizeHint(c));
            needs << need;
        }
        listsSplit_->setSizes(needs);
    }
}

void TActivityPage::FillList(QTreeWidget* list, history::TTopList kind,
                             const std::vector<history::TTopEntry>& entries) {
    // The current entry stays current when it is listed again.
    QStringList current;
    if (QTreeWidgetItem* item = list->currentItem())
        for (int c = 0; c < list->columnCount() - 2; ++c)
            current << item->text(c);
    list->clear();
    const int keys = static_cast<int>(history::TopColumns(kind).size()) - 2;
    for (const history::TTopEntry& e : entries) {
        auto* item = new QTreeWidgetItem(list);
        for (int i = 0; i < keys && i < static_cast<int>(e.keys.size()); ++i)
            item->setText(i, QString::fromStdString(e.keys[static_cast<std::size_t>(i)]));
        item->setText(keys, QString::number(e.samples));
        item->setText(keys + 1, QString::number(e.percent, 'f', 1));
        item->setTextAlignment(keys, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(keys + 1, Qt::AlignRight | Qt::AlignVCenter);
        QStringList itemKeys;
        for (int c = 0; c < keys; ++c)
            itemKeys << item->text(c);
        if (!current.isEmpty() && itemKeys == current)
            list->setCurrentItem(item);
    }
    // A range with longer names than the ones listed before widens their columns.
    if (auto* keeper = list->findChild<TListHeaderKeeper*>())
        keeper->Settle();
}

bool TActivityPage::ExportPng(const QString& path) {
    return chart_->grab().save(path, "PNG");
}

void TActivityPage::ExportCsv(const QString& path,
                              std::function<void(std::int64_t rows, const QString& error)> done) {
    auto store = sampler_->SharedStore();
    if (!store) {
        done(-1, QStringLiteral("There are no samples yet."));
        return;
    }
    const auto [from, to] = ListedRange();
    struct TResult {
        std::int64_t rows = -1;
        std::string error;
    };
    auto result = std::make_shared<TResult>();
    const std::string file = QDir::toNativeSeparators(path).toStdString();
    reader_.Read(
        store,
        [result, file, from, to](sqlite3* db) {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            if (!out) {
                result->error = "Cannot write " + file + ".";
                return;
            }
            try {
                result->rows = history::WriteSamplesCsv(db, from, to, out);
            } catch (const std::exception& e) {
                result->error = e.what();
            }
            out.close();
            if (!out && result->error.empty())
                result->error = "Cannot write " + file + ".";
            if (!result->error.empty())
                result->rows = -1;
        },
        [result, done] { done(result->rows, QString::fromStdString(result->error)); });
}

void TActivityPage::AskPng() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Chart"),
        monitor::LastExportFolder() + QStringLiteral("/activity.png"),
        QStringLiteral("PNG pictures (*.png)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    monitor::SaveExportFolder(QFileInfo(path).absolutePath());
    if (!ExportPng(path))
        QMessageBox::warning(this, QApplication::applicationDisplayName(),
                             QStringLiteral("Cannot write %1.").arg(path));
}

void TActivityPage::AskCsv() {
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Samples"),
        monitor::LastExportFolder() + QStringLiteral("/activity.csv"),
        QStringLiteral("CSV files (*.csv)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    monitor::SaveExportFolder(QFileInfo(path).absolutePath());
    ExportCsv(path, [this, path](std::int64_t rows, const QString& error) {
        if (rows < 0)
            QMessageBox::warning(this, QApplication::applicationDisplayName(), error);
        else
            rangeLabel_->setText(QStringLiteral("%1 samples exported to %2.").arg(rows).arg(path));
    });
}

} // namespace gui
