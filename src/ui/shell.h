#pragma once

#include <QString>

namespace Ui {

// What the window asks of the desktop: open a local file or folder with its default application, and
// open a web address in the browser. Both report whether anything could be started.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual bool openLocal(const QString& path) = 0;
    virtual bool openWeb(const QString& address) = 0;
};

// The desktop's own handlers (on Linux xdg-open, which picks the file manager or the browser).
class DesktopShell final : public Shell
{
public:
    bool openLocal(const QString& path) override;
    bool openWeb(const QString& address) override;
};

} // namespace Ui
