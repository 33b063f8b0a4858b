#pragma once

#include "core/RowStore.h"
#include "core/ScanSettings.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace nw {

// The rows of the results list. New rows go to the top; a scan adds many thousands of them, so
// rows are stored in the order they came and the views see them through an index mapping:
// while unsorted, view row r is stored row count - 1 - r; once sorted, a permutation. A scan
// adds and reads its rows through RowStore.
class ResultsModel : public QAbstractTableModel, public RowStore {
    Q_OBJECT
public:
    explicit ResultsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Stable: rows of equal text keep their order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Rows as the scan addresses them: 1 is the top row. Rows held back count too.
    int count() const override { return int(rows_.size()); }
    const ResultRow& row(int row) const { return rows_[scanIndex(row - 1)]; }
    QString cell(int row, int column) const override {
        return rowCell(this->row(row), column, files_.get());
    }

    void clear() override;
    void setFiles(std::shared_ptr<const RowFiles> files) override { files_ = std::move(files); }
    void addAtTop(const ResultRow& row) override;
    // Rows of the views, from 0; the others keep their order.
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
    // While held, new rows reach the views only at flush(): one insertion per batch.
    void setHeld(bool held);
    void flush();

    // On: sorted by column 0, ascending. Off: the rows keep their order, new ones go on top.
    void setSorted(bool sorted) override;
    bool isSorted() const { return sortColumn_ >= 0; }

    void setHeaderCaption(int column, const QString& caption);

signals:
    // column: -1 once unsorted.
    void sortChanged(int column, Qt::SortOrder order);

private:
    void sortOrder(std::vector<int>& order, int column, bool descending);
    size_t scanIndex(int row) const {
        return order_.empty() ? rows_.size() - 1 - size_t(row) : size_t(order_[size_t(row)]);
    }
    size_t viewIndex(int row) const {
        return order_.empty() ? size_t(shown_ - 1 - row) : size_t(order_[size_t(row)]);
    }
    std::vector<int> viewOrder() const;
    void applyOrder(std::vector<int> order);

    std::vector<ResultRow> rows_; // in the order they came
    std::vector<int> order_;      // view row -> stored row, only while sorted
    int shown_ = 0;               // rows the views know of
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool held_ = false;
    bool sorting_ = false;
    // Rows from which a sort runs beside the window's thread, so that it stays alive.
    static constexpr size_t AliveSortRows = 100'000;
    QStringList headers_;
    std::shared_ptr<const RowFiles> files_; // what the rows refer to
};

} // namespace nw
