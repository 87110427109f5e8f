#include "text/textfiles.h"

#include "text/charset.h"
#include "text/failure.h"
#include "text/writefailure.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <filesystem>

namespace Text {

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty()) {
        return name;
    }
    if (folder.endsWith(u'/')) {
        return folder + name;
    }
    return folder + u'/' + name;
}

QString ReadTextFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return DecodeLocal(file.readAll().mid(2));
}

QString ReadLocalFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw Failure(QStringLiteral("无法读取%1：%2").arg(path, file.errorString()));
    }
    return DecodeLocal(file.readAll());
}

void WriteBytesFileAt(const QString& path, const QByteArray& bytes)
{
    // The system's error number is taken right where a step fails: the save file's own error text loses
    // it at the commit ("Unknown error").
    const QString message = QStringLiteral("无法写入%1").arg(path);
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        ThrowWriteError(message, errno);
    }
    if (file.write(bytes) != bytes.size()) {
        const int error = errno;
        file.cancelWriting();
        ThrowWriteError(message, error);
    }
    errno = 0;
    if (!file.commit()) {
        ThrowWriteError(message, errno);
    }
}

void WriteTextFileAt(const QString& path, const QString& text)
{
    WriteBytesFileAt(path, EncodeLocal(text + QStringLiteral("\r\n")));
}

void WriteTextFile(const QString& programFolder, const QString& relativeName, const QString& text)
{
    WriteTextFileAt(JoinPath(programFolder, relativeName), text);
}

QString ReplaceFile(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
                            std::filesystem::path(QFile::encodeName(to).toStdString()), error);
    return error ? QString::fromLocal8Bit(error.message()) : QString();
}

void AppendTextFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        throw Failure(QStringLiteral("无法写入%1：%2").arg(path, file.errorString()));
    }
    const QByteArray bytes = EncodeLocal(text + QStringLiteral("\r\n"));
    if (file.write(bytes) != bytes.size()) {
        throw Failure(QStringLiteral("无法写入%1：%2").arg(path, file.errorString()));
    }
}

} // namespace Text
