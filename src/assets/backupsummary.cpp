#include "assets/backupsummary.h"

#include "assets/assetfetcher.h"
#include "assets/assetnames.h"
#include "assets/jobrecord.h"
#include "discovery/announcedarticles.h"
#include "model/capturerecord.h"
#include "model/localpage.h"
#include "model/pagerecord.h"
#include "model/runstate.h"
#include "text/containedpath.h"
#include "text/failure.h"
#include "text/textfiles.h"
#include "text/textprimitives.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace Assets {

using Text::Num;

namespace {

const QString ErrorMark = QStringLiteral("错误|");
const QString NotFetched = QStringLiteral("未下载");

void SummariseArticles(const Model::RunState& state, BackupSummary& summary)
{
    const Model::PageRecord record(state.taskFolder());
    summary.articles = state.articles.articleCount();
    for (int row = 1; row <= summary.articles; ++row) {
        const QString address = state.articleAddress(row);
        const Model::LocalPage page = Model::InspectLocalPage(state.articlePagePath(row));
        if (page == Model::LocalPage::Missing) {
            ++summary.articlesFailed;
            summary.failed.append({address, NotFetched});
            continue;
        }
        // The page on disk is the truth: the page that points to the web address is no saved article,
        // whatever the record says, and one that holds the article is no deleted one.
        const auto entry = record.entries().constFind(Model::PageRecord::pageName(state, row));
        const auto outcome =
            entry == record.entries().cend() ? Model::PageRecord::Outcome::Saved : entry->outcome;
        if (page == Model::LocalPage::Fallback && outcome == Model::PageRecord::Outcome::Saved) {
            ++summary.articlesFailed;
            summary.failed.append({address, QStringLiteral("未能下载，只有指向网络地址的页面")});
        } else if (outcome == Model::PageRecord::Outcome::Saved ||
                   (page == Model::LocalPage::Article && outcome == Model::PageRecord::Outcome::Deleted)) {
            ++summary.articlesSaved;
        } else if (outcome == Model::PageRecord::Outcome::Deleted) {
            ++summary.articlesDeleted;
            summary.deleted.append({address, QStringLiteral("博文已删除或访问受限")});
        } else {
            ++summary.articlesFailed;
            summary.failed.append({address, entry->reason});
        }
    }
    if (!record.problem().isEmpty()) {
        summary.notes.append(record.problem());
    }
    for (const QString& path : state.unwritableRecords) {
        ++summary.recordsUnwritten;
        summary.failed.append({path, QStringLiteral("记录无法写入")});
    }
}

void SummariseJobs(const Model::RunState& state, BackupSummary& summary)
{
    // Why a job failed in this run, by its file.
    const Model::AssetQueue& queue = state.assets;
    QHash<QString, QString> reasons;
    for (int row = 1; row <= queue.jobCount(); ++row) {
        const QString result = queue.result(row);
        if (result.startsWith(ErrorMark)) {
            reasons.insert(AssetTargetPath(state, queue.kind(row), queue.address(row), queue.folder(row)),
                           result.mid(ErrorMark.size()));
        }
    }
    QSet<size_t> counted;
    const auto count = [&](int kind, const QString& address, const QString& target) {
        counted.insert(qHash(target));
        const bool image = kind < Model::AssetQueue::CommentKind;
        ++(image ? summary.images : summary.commentPages);
        if (QFileInfo(target).isFile()) {
            return;
        }
        ++(image ? summary.imagesFailed : summary.commentPagesFailed);
        summary.failed.append({address, reasons.value(target, NotFetched)});
    };
    ForEachListedJob(state, [&](const RecordedJob& job) {
        count(job.kind, job.address, AssetTargetPath(state, job.kind, job.address, job.folder));
    });

    using Trouble = AssetFetcher::RecordTrouble;
    const Trouble trouble =
        state.assetFetcher != nullptr ? state.assetFetcher->recordTrouble() : Trouble::None;
    summary.jobRecordDamaged = trouble == Trouble::Damaged;
    summary.jobRecordUnwritable = trouble == Trouble::Unwritable;
    for (int row = 1; row <= queue.jobCount(); ++row) {
        const int kind = queue.kind(row);
        if (kind == AssetFetcher::PageImagesKind) {
            // The images of a saved page that its web page could not give again.
            const int lacking = queue.text(row, Model::AssetQueue::ProgressColumn).toInt();
            if (queue.result(row).startsWith(ErrorMark) && lacking > 0) {
                summary.images += lacking;
                summary.imagesFailed += lacking;
                summary.failed.append(
                    {queue.address(row), QStringLiteral("找不到%1张图片（%2）")
                                             .arg(lacking)
                                             .arg(queue.result(row).mid(ErrorMark.size()))});
            }
            continue;
        }
        // The jobs of this run that the record may have missed.
        const QString target = AssetTargetPath(state, kind, queue.address(row), queue.folder(row));
        if (summary.jobRecordUnwritable && !counted.contains(qHash(target))) {
            count(kind, queue.address(row), target);
        }
    }
    if (summary.jobRecordUnwritable) {
        summary.failed.append({JobRecord(state.taskFolder()).path(), QStringLiteral("图片记录无法写入")});
    }
}

} // namespace

QString BackupSummary::countsText() const
{
    QString text = QStringLiteral("文章") + Num(articles) + QStringLiteral("篇：保存") + Num(articlesSaved) +
                   QStringLiteral("篇，失败") + Num(articlesFailed) + QStringLiteral("篇");
    if (articlesDeleted > 0) {
        text += QStringLiteral("，博客已删除或受限") + Num(articlesDeleted) + QStringLiteral("篇");
    }
    if (announced >= 0) {
        text += QStringLiteral("（博客显示") + Num(announced) + QStringLiteral("篇");
        if (shortfall > 0) {
            text += QStringLiteral("，") + Num(shortfall) + QStringLiteral("篇未找到");
        }
        if (surplus > 0) {
            text += QStringLiteral("，多出") + Num(surplus) + QStringLiteral("篇");
        }
        text += QStringLiteral("）");
    }
    if (!searchInterruption.isEmpty()) {
        text += QStringLiteral("；查找文章中断，文章可能不全（") + searchInterruption + QStringLiteral("）");
    }
    if (!archive.isEmpty()) {
        text += QStringLiteral("；") + archive;
    }
    text += QStringLiteral("；图片") + Num(images) + QStringLiteral("张：保存") + Num(images - imagesFailed) +
            QStringLiteral("张，失败") + Num(imagesFailed) + QStringLiteral("张");
    if (commentPages > 0) {
        text += QStringLiteral("；评论页") + Num(commentPages) + QStringLiteral("个：保存") +
                Num(commentPages - commentPagesFailed) + QStringLiteral("个，失败") +
                Num(commentPagesFailed) + QStringLiteral("个");
    }
    if (jobRecordDamaged) {
        text += QStringLiteral("；图片记录已损坏，已按文章页面重新检查图片");
    } else if (jobRecordUnwritable) {
        text += QStringLiteral("；图片记录无法写入");
    }
    for (const QString& note : notes) {
        text += QStringLiteral("；") + note;
    }
    return text;
}

BackupSummary SummariseBackup(const Model::RunState& state)
{
    BackupSummary summary;
    SummariseArticles(state, summary);
    SummariseJobs(state, summary);
    if (state.announcedArticles) {
        summary.announced = *state.announcedArticles;
        summary.shortfall = Discovery::DiscoveryShortfall(state);
        summary.surplus = Discovery::DiscoverySurplus(state);
        if (summary.shortfall > 0) {
            summary.failed.prepend(
                {state.task.BlogAddress, QStringLiteral("博客显示") + Num(summary.announced) +
                                             QStringLiteral("篇，只找到") + Num(summary.articles) +
                                             QStringLiteral("篇")});
        }
    }
    if (state.task.FromArchive) {
        QStringList parts;
        if (state.archiveFinding) {
            parts << state.archiveFinding->describe();
        }
        if (const QString range = Model::CaptureRecord(state.taskFolder()).rangeText(); !range.isEmpty()) {
            parts << QStringLiteral("存档日期") + range;
        }
        if (!parts.isEmpty()) {
            summary.archive = QStringLiteral("存档：") + parts.join(QStringLiteral("，"));
        }
    }
    if (const auto& interruption = state.searchInterruption) {
        summary.searchInterruption = interruption->describe();
        summary.failed.prepend(
            {interruption->address, QStringLiteral("查找文章中断：") + interruption->reason});
    }
    return summary;
}

bool WriteFailedList(const Model::RunState& state, const BackupSummary& summary)
{
    const QString path =
        Text::JoinPath(state.taskFolder(), QString::fromLatin1(BackupSummary::FailedListName));
    if (!Text::LiesInside(state.programFolder, path)) {
        return false;
    }
    if (summary.failed.isEmpty()) {
        return !QFileInfo::exists(path) || QFile::remove(path);
    }
    QByteArray bytes;
    for (const BackupSummary::Item& item : summary.failed) {
        // One item a line, whatever its address holds.
        QString address = item.address;
        QString reason = item.reason;
        for (QString* field : {&address, &reason}) {
            field->replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
        }
        bytes += (address + u'\t' + reason).toUtf8() + '\n';
    }
    try {
        Text::WriteBytesFileAt(path, bytes);
    } catch (const Text::Failure&) {
        return false;
    }
    return true;
}

} // namespace Assets
