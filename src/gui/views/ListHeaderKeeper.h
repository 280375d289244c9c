// What every list of the window shares about its columns: when the list is first filled its
// columns take the width of their contents (up to a maximum; the last one stretches), unless the
// user's own widths, order and sort from an earlier run are remembered; a refresh keeps what the
// user set; what the user sets is remembered under the list's name; Ctrl+C copies the selected
// rows as tab-separated text with headings. User-interface thread only.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QTreeView;

namespace gui {

class TListHeaderKeeper final : public QObject {
    Q_OBJECT
public:
    // The widest a column becomes by its contents, in pixels.
    static constexpr int kMaximumFitWidth = 360;
    // Lists up to this long are measured row by row when first filled; in longer ones only the
    // longest texts of each column are.
    static constexpr int kMeasuredRows = 200;

    // Keeps `view`'s header, remembered under `name`; the keeper is a child of the view.
    TListHeaderKeeper(QTreeView& view, const QString& name);
    ~TListHeaderKeeper() override;

    // The least width of a column, asked again at every new set of rows (0: no least width).
    void SetMinimumWidth(std::function<int(int column)> minimum);
    // Sizes the columns to their contents now.
    void FitColumns();
    // Takes in the rows shown now (a tree just expanded, say): the remembered state for a new
    // column count, else columns follow their contents until the user sets them.
    void Settle();
    // Shows the arrow on `column` unless the user's own sort is remembered; not a user's choice.
    void SetDefaultSort(int column, Qt::SortOrder order);
    // True once the user set widths, order or sort (or they were remembered).
    bool UserSet() const { return userSet_; }
    // Writes the header's state to the settings now (when the user's columns were set).
    void Save();
    // The selected rows of `view` as tab-separated text with a line of headings, the columns in
    // the order and with the visibility shown.
    static QString SelectedRowsText(const QTreeView& view);

private:
    void Fit(bool widenOnly);
    // False while the view is being destroyed (its tree view part is gone already).
    bool ViewWhole() const;
    // The width the contents of `column` want.
    int LongestTextsWidth(int column) const;
    int LastVisible() const;
    void UserChanged();
    void ApplyMinimums();
    QString Key() const;
    QTreeView& view_;
    QString name_;
    std::function<int(int)> minimum_;
    int settledColumns_ = -1; // the column count the state below belongs to
    bool userSet_ = false;    // the user set the columns (now or in an earlier run)
    bool fitted_ = false;     // the columns were sized to the first rows
    bool applying_ = false;   // the keeper itself changes the header
    bool inReset_ = false;    // the model is being reset: width changes are the list's own
    bool dirty_ = false;
    QByteArray state_; // the header's state as last changed
    QTimer saveTimer_;
};

} // namespace gui
