#include "output/epubarchive.h"

#include "text/failure.h"

#include <QFile>

#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace Output {

namespace {

QString ZipError(zip_t* archive)
{
    return QString::fromLocal8Bit(zip_strerror(archive));
}

} // namespace

EpubArchive::EpubArchive(const QString& path)
{
    int error = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (m_zip == nullptr) {
        zip_error_t detail;
        zip_error_init_with_code(&detail, error);
        const QString reason = QString::fromLocal8Bit(zip_error_strerror(&detail));
        zip_error_fini(&detail);
        throw Text::Failure(QStringLiteral("无法创建%1（%2）").arg(path, reason));
    }
    const QByteArray mimetype("application/epub+zip");
    addBytes(QStringLiteral("mimetype"), mimetype);
    zip_set_file_compression(m_zip, 0, ZIP_CM_STORE, 0);
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
    // The archive owns its copy until it is written.
    void* copy = std::malloc(size_t(std::max<qsizetype>(bytes.size(), 1)));
    if (copy == nullptr) {
        throw Text::Failure(QStringLiteral("内存不足"));
    }
    std::memcpy(copy, bytes.constData(), size_t(bytes.size()));
    zip_source_t* source = zip_source_buffer(m_zip, copy, zip_uint64_t(bytes.size()), 1);
    if (source == nullptr) {
        std::free(copy);
    }
    add(name, source, true);
}

void EpubArchive::addFile(const QString& name, const QString& path)
{
    add(name, zip_source_file(m_zip, QFile::encodeName(path).constData(), 0, -1), false);
}

void EpubArchive::close()
{
    if (zip_close(m_zip) != 0) {
        throw Text::Failure(ZipError(m_zip));
    }
    m_zip = nullptr;
}

} // namespace Output
