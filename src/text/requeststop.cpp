#include "text/requeststop.h"

namespace Text {

void RequestStop::stop()
{
    if (m_stopped) {
        return;
    }
    m_stopped = true;
    Q_EMIT stopped();
}

} // namespace Text
