// A cookie file as --cookies, auto.cfg's <cookies> and the new-task dialog hand it over: its cookies go
// into the jar that the requests of a run ask for theirs.
#include "fuzzsupport.h"
#include "text/cookiefile.h"
#include "text/logincookies.h"

#include <QNetworkCookieJar>
#include <QUrl>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Text::CookieFile file =
        Text::ParseCookieFile(Fuzz::Bytes(data, size), QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC));
    Text::LoginCookieJar jar(file.cookies, nullptr);
    for (const char* address : {"http://blog.sina.com.cn/s/blog_1.html", "https://www.example.com.cn/"}) {
        for (const QNetworkCookie& cookie : jar.cookiesForUrl(QUrl(QString::fromLatin1(address)))) {
            // What goes into the Cookie header must stay one cookie.
            if (cookie.toRawForm(QNetworkCookie::NameAndValueOnly).contains(';')) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
