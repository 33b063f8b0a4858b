#include "ui/ResultsModel.h"
#include "core/RowOrder.h"
#include "core/Texts.h"
#include "ui/ControlTable.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <system_error>
#include <thread>

namespace nw {

ResultsModel::ResultsModel(QObject* parent)
    : QAbstractTableModel(parent) {
    for (const ColumnEntry& column : ResultColumns)
        headers_.append(QString::fromUtf8(column.caption));
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_)
        return {};
    if (role == Qt::DisplayRole)
        return rowCell(rows_[viewIndex(index.row())], index.column(), files_.get());
    if (role == Qt::TextAlignmentRole && ResultColumns[size_t(index.column())].rightAligned)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return headers_.at(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            (ResultColumns[size_t(section)].rightAligned ? Qt::AlignRight : Qt::AlignLeft) |
            Qt::AlignVCenter);
    return {};
}

void ResultsModel::setHeaderCaption(int column, const QString& caption) {
    if (headers_.at(column) == caption)
        return;
    headers_[column] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void ResultsModel::clear() {
    beginResetModel();
    rows_.clear();
    order_.clear();
    files_.reset();
    shown_ = 0;
    endResetModel();
}

void ResultsModel::addAtTop(const ResultRow& row) {
    if (sortColumn_ < 0) {
        rows_.push_back(row);
        if (!held_)
            flush();
        return;
    }
    // A sorted list takes a new row at its place, after the rows of equal text.
    const QString text = rowCell(row, sortColumn_, files_.get());
    const auto at =
        std::upper_bound(order_.begin(), order_.end(), text, [this](const QString& t, int stored) {
            const QString other = rowCell(rows_[size_t(stored)], sortColumn_, files_.get());
            return sortOrder_ == Qt::AscendingOrder ? textLess(t, other) : textLess(other, t);
        });
    const int position = int(at - order_.begin());
    beginInsertRows({}, position, position);
    rows_.push_back(row);
    order_.insert(order_.begin() + position, int(rows_.size()) - 1);
    shown_ = int(rows_.size());
    endInsertRows();
}

bool ResultsModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > shown_ || sorting_)
        return false;
    std::vector<size_t> stored;
    for (int r = row; r < row + count; ++r)
        stored.push_back(viewIndex(r));
    // From the back, so the indexes still to erase stay valid.
    std::sort(stored.rbegin(), stored.rend());
    beginRemoveRows({}, row, row + count - 1);
    if (!order_.empty())
        order_.erase(order_.begin() + row, order_.begin() + row + count);
    for (const size_t s : stored) {
        rows_.erase(rows_.begin() + qsizetype(s));
        for (int& o : order_) {
            if (size_t(o) > s)
                --o;
        }
    }
    shown_ -= count;
    endRemoveRows();
    return true;
}

void ResultsModel::setHeld(bool held) {
    held_ = held;
    if (!held)
        flush();
}

void ResultsModel::flush() {
    const int pending = int(rows_.size()) - shown_;
    if (pending <= 0)
        return;
    // Unsorted, so the held rows are the newest and belong on top.
    beginInsertRows({}, 0, pending - 1);
    shown_ = int(rows_.size());
    endInsertRows();
}

std::vector<int> ResultsModel::viewOrder() const {
    std::vector<int> order(static_cast<size_t>(shown_));
    for (int r = 0; r < shown_; ++r)
        order[size_t(r)] = int(viewIndex(r));
    return order;
}

void ResultsModel::sortOrder(std::vector<int>& order, int column, bool descending) {
    // Long sorts run beside the window's thread, which goes on handling its events (paints,
    // Stop); the rows do not change meanwhile: a sort or removal asked for then is refused.
    if (order.size() < AliveSortRows) {
        sortRowOrder(order, rows_, column, descending, files_.get());
        return;
    }
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    sorting_ = true;
    try {
        std::thread worker([&] {
            try {
                sortRowOrder(order, rows_, column, descending, files_.get());
            } catch (...) {
                failure = std::current_exception();
            }
            done = true;
        });
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        } while (!done);
        worker.join();
    } catch (const std::system_error&) {
        sortRowOrder(order, rows_, column, descending, files_.get()); // no thread to be had
    }
    sorting_ = false;
    if (failure)
        std::rethrow_exception(failure);
}

void ResultsModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount || sorting_)
        return;
    flush();
    std::vector<int> sorted = viewOrder();
    sortOrder(sorted, column, order == Qt::DescendingOrder);
    sortColumn_ = column;
    sortOrder_ = order;
    applyOrder(std::move(sorted));
    emit sortChanged(column, order);
}

void ResultsModel::applyOrder(std::vector<int> order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> stored(size_t(before.size()));
    for (qsizetype i = 0; i < before.size(); ++i)
        stored[size_t(i)] = int(viewIndex(before.at(i).row()));
    order_ = std::move(order);
    if (!before.isEmpty()) {
        std::vector<int> newRow(rows_.size());
        for (size_t r = 0; r < order_.size(); ++r)
            newRow[size_t(order_[r])] = int(r);
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i)
            after.append(index(newRow[size_t(stored[size_t(i)])], before.at(i).column()));
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultsModel::setSorted(bool sorted) {
    if (sorted) {
        sort(0, Qt::AscendingOrder);
        return;
    }
    if (sortColumn_ < 0)
        return;
    // Store the rows bottom first, so the unsorted mapping shows them as they stand.
    std::vector<ResultRow> reordered;
    reordered.reserve(rows_.size());
    for (auto it = order_.rbegin(); it != order_.rend(); ++it)
        reordered.push_back(std::move(rows_[size_t(*it)]));
    rows_ = std::move(reordered);
    order_.clear();
    sortColumn_ = -1;
    emit sortChanged(-1, sortOrder_);
}

} // namespace nw
