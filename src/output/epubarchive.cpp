#include "output/epubarchive.h"

#include "text/failure.h"
#include "text/writefailure.h"

#include <QFile>

#include <zip.h>

#include <cerrno>

namespace Output {

namespace {

QString ZipError(zip_t* archive)
{
    return QString::fromLocal8Bit(zip_strerror(archive));
}

} // namespace

EpubArchive::EpubArchive(const QString& path) : m_spool(path + QStringLiteral(".files-XXXXXX"))
{
    if (!m_spool.isValid()) {
        throw Text::Failure(QStringLiteral("无法创建临时文件夹（%1）").arg(m_spool.errorString()));
    }
    int error = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (m_zip == nullptr) {
        zip_error_t detail;
        zip_error_init_with_code(&detail, error);
        const QString reason = QString::fromLocal8Bit(zip_error_strerror(&detail));
        zip_error_fini(&detail);
        throw Text::Failure(QStringLiteral("无法创建%1（%2）").arg(path, reason));
    }
    static const char mimetype[] = "application/epub+zip";
    add(QStringLiteral("mimetype"), zip_source_buffer(m_zip, mimetype, sizeof(mimetype) - 1, 0), false);
}

EpubArchive::~EpubArchive()
{
    if (m_zip != nullptr) {
        zip_discard(m_zip);
    }
}

void EpubArchive::add(const QString& name, zip_source_t* source, bool compress)
{
    if (source == nullptr) {
        throw Text::Failure(ZipError(m_zip));
    }
    const zip_int64_t index = zip_file_add(m_zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        throw Text::Failure(ZipError(m_zip));
    }
    zip_set_file_compression(m_zip, zip_uint64_t(index), compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
}

void EpubArchive::addBytes(const QString& name, const QByteArray& bytes)
{
    const QString path = m_spool.filePath(QString::number(++m_spooled));
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size()) {
        Text::ThrowWriteError(QStringLiteral("无法写入%1").arg(path), errno);
    }
    file.close();
    add(name, zip_source_file(m_zip, QFile::encodeName(path).constData(), 0, -1), true);
}

void EpubArchive::addFile(const QString& name, const QString& path)
{
    add(name, zip_source_file(m_zip, QFile::encodeName(path).constData(), 0, -1), false);
}

void EpubArchive::close()
{
    if (zip_close(m_zip) != 0) {
        // A full disk is the folder's fault, not the book's: it stops the run's writing in words.
        const zip_error_t* error = zip_get_error(m_zip);
        if (zip_error_system_type(error) == ZIP_ET_SYS &&
            !Text::FolderWriteCause(zip_error_code_system(error)).isEmpty()) {
            Text::ThrowWriteError(ZipError(m_zip), zip_error_code_system(error));
        }
        throw Text::Failure(ZipError(m_zip));
    }
    m_zip = nullptr;
}

} // namespace Output
