#pragma once

#include <QObject>
#include <QString>

#include <array>

namespace Model {
class RunState;
}

namespace Render {

// What the window shows of a running download: the mark of each of the five article request slots
// ("●" when a page has arrived, then "★", "◆", "■" as the slot sends its next requests). It also holds
// the few settings of the download that the window (or a test) may change.
//
// The window creates one and keeps it; it registers itself with the run state. A download without one
// still runs, it just shows no marks.
class DownloadProgress final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadProgress)

public:
    static constexpr int SlotCount = 5;

    explicit DownloadProgress(Model::RunState& state, QObject* parent = nullptr);
    ~DownloadProgress() override;

    // The mark a slot shows now; empty before its first request.
    QString slotMark(int slot) const;
    void showSlotMark(int slot, const QString& mark);

    // While true the download advances the request slots' tick counts itself, once per tickIntervalMs.
    // The window's one-second timer, which advances them too, sets it to false, so ticks are never
    // counted twice. The download looks at its tick counts once per tickIntervalMs either way.
    bool useInternalTicker = true;
    int tickIntervalMs = 1000;

    // A request that stays silent for 5 ticks is sent again; after this many resends of one article
    // the article gets the page that points to its web address, and the slot goes on.
    int maxResends = 5;

Q_SIGNALS:
    void slotMarkChanged(int slot, const QString& mark);

private:
    Model::RunState& m_state;
    std::array<QString, SlotCount> m_marks;
};

} // namespace Render
