#include "render/downloadprogress.h"

#include "model/runstate.h"

namespace Render {

DownloadProgress::DownloadProgress(Model::RunState& state, QObject* parent) : QObject(parent), m_state(state)
{
    m_state.downloadProgress = this;
}

DownloadProgress::~DownloadProgress()
{
    if (m_state.downloadProgress == this) {
        m_state.downloadProgress = nullptr;
    }
}

QString DownloadProgress::slotMark(int slot) const
{
    return slot >= 0 && slot < SlotCount ? m_marks[size_t(slot)] : QString();
}

void DownloadProgress::showSlotMark(int slot, const QString& mark)
{
    if (slot < 0 || slot >= SlotCount) {
        return;
    }
    m_marks[size_t(slot)] = mark;
    Q_EMIT slotMarkChanged(slot, mark);
}

} // namespace Render
