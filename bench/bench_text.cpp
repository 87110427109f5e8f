// Times the text services over a 1 MB list page and prints the figures.
#include "text/matching.h"
#include "text/safefilename.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace {

QString MakePage()
{
    QString page;
    int n = 0;
    while (page.size() < 1024 * 1024) {
        page += QStringLiteral(
                    "<li><span class=\"atc_title\"><a title=\"文章标题 %1\" target=\"_blank\" "
                    "href=\"http://blog.sina.com.cn/s/blog_4b1a2c3d0100%2.html\">文章标题 %1</a></span>"
                    "<span class=\"atc_tm SG_txtc\">2012-04-19 10:%3</span></li>\n")
                    .arg(n)
                    .arg(n, 4, 10, QChar(u'0'))
                    .arg(n % 60, 2, 10, QChar(u'0'));
        ++n;
    }
    return page;
}

template <typename F> double Time(int repeats, F&& f)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < repeats; ++i) {
        f();
    }
    return double(clock.nsecsElapsed()) / 1e6 / repeats;
}

} // namespace

int main()
{
    const QString page = MakePage();
    std::printf("page: %lld characters\n", static_cast<long long>(page.size()));

    int matches = 0;
    const double matchMs = Time(10, [&] {
        matches = int(
            Text::MatchList(
                QStringLiteral("<a title=.*target=#_blank# href=.*>.*</a></span>").replace(u'#', u'"'), page)
                .size());
    });
    std::printf("MatchAll: %.2f ms per 1 MB page (%d matches)\n", matchMs, matches);

    const QString marker = QStringLiteral("2012-04-19 10:59");
    const double betweenMs = Time(100, [&] {
        volatile auto size = Text::TextBetween(page, QStringLiteral("文章标题 9000"), marker, 5).size();
        (void)size;
    });
    std::printf("TextBetween: %.3f ms per cut over 1 MB\n", betweenMs);

    const double safeMs = Time(10, [&] {
        volatile auto size = Text::SafeFileName(page).size();
        (void)size;
    });
    std::printf("SafeFileName: %.2f ms per 1 MB text\n", safeMs);
    return 0;
}
