#include "model/tasklogin.h"

#include "model/runstate.h"
#include "text/cookiefile.h"
#include "text/failure.h"
#include "text/logincookies.h"

#include <QFileInfo>
#include <QNetworkAccessManager>

namespace Model {

QString UseTaskLogin(RunState& state)
{
    QNetworkAccessManager* network = state.http.manager;
    if (network == nullptr) {
        return {};
    }
    if (state.task.CookieFile.isEmpty()) {
        Text::ForgetLoginCookies(*network);
        return {};
    }
    Text::CookieFile file;
    try {
        file = Text::ReadCookieFile(state.task.CookieFile);
    } catch (const Text::Failure&) {
        Text::ForgetLoginCookies(*network);
        throw;
    }
    Text::UseLoginCookies(*network, file.cookies);
    const QString name = QFileInfo(state.task.CookieFile).fileName();
    QString text;
    if (file.cookies.isEmpty()) {
        text = QStringLiteral("登录Cookie文件%1里没有可用的Cookie，下载时不带登录").arg(name);
    } else {
        text = QStringLiteral("使用你的登录：登录Cookie文件%1，%2个Cookie，不退出登录")
                   .arg(name)
                   .arg(file.cookies.size());
    }
    if (file.skipped > 0) {
        text += QStringLiteral("（%1行无法使用，已略过）").arg(file.skipped);
    }
    return text;
}

} // namespace Model
