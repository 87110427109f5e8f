#pragma once

#include "model/gridtable.h"

namespace Model {

// The queue of images and comment pages to fetch, one job per row.
class AssetQueue final : public GridTable
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AssetQueue)

public:
    enum Column {
        NumberColumn = 0,
        KindColumn = 1, // below 100 raw bytes (images: 1), 100 or more a text page (comments: 100)
        AddressColumn = 2,
        FolderColumn = 3, // folder inside the task folder
        ProgressColumn = 4,
        ResultColumn = 5, // "", "○", "●", "已存在" or "错误|" + reason
    };
    static constexpr int ImageKind = 1;
    static constexpr int CommentKind = 100;

    explicit AssetQueue(QObject* parent = nullptr);

    int jobCount() const { return dataRowCount(); }

    // Appends one job into the spare row; with listScrolling keeps the newest rows in view.
    int AddAssetRow(int kind, const QString& address, const QString& folder, bool listScrolling);

    int kind(int row) const { return text(row, KindColumn).toInt(); }
    QString address(int row) const { return text(row, AddressColumn); }
    QString folder(int row) const { return text(row, FolderColumn); }
    QString result(int row) const { return text(row, ResultColumn); }
    void setResult(int row, const QString& result) { setText(row, ResultColumn, result); }

    // The first job that is still waiting (its result empty), or jobCount() + 1 when none is. Every
    // row before it has a result, so a long queue is not looked over from its top for every job.
    int firstWaitingJob();

private:
    void mayWaitFrom(int row);

    int m_waitingFrom = 1; // no row before it is waiting
};

} // namespace Model
