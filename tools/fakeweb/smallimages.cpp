#include "smallimages.h"

#include <QtEndian>

#include <array>

namespace FakeWeb {

namespace {

quint32 Crc32(const QByteArray& bytes)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

void AppendBigEndian32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

void AppendBigEndian16(QByteArray& out, int value)
{
    out.append(char((value >> 8) & 0xFF));
    out.append(char(value & 0xFF));
}

void AppendPngChunk(QByteArray& out, const char* type, const QByteArray& data)
{
    AppendBigEndian32(out, quint32(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    out.append(typed);
    AppendBigEndian32(out, Crc32(typed));
}

quint32 Mix(quint32 x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// Writes bits most significant first, with the 0x00 stuffed after every 0xFF byte of entropy-coded data.
class BitWriter
{
public:
    void put(quint32 bits, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            m_byte = quint8((m_byte << 1) | ((bits >> i) & 1));
            if (++m_filled == 8) {
                flushByte();
            }
        }
    }
    QByteArray finish()
    {
        while (m_filled != 0) {
            put(1, 1); // pad with one-bits
        }
        return m_out;
    }

private:
    void flushByte()
    {
        m_out.append(char(m_byte));
        if (m_byte == 0xFF) {
            m_out.append('\0');
        }
        m_byte = 0;
        m_filled = 0;
    }
    QByteArray m_out;
    quint8 m_byte = 0;
    int m_filled = 0;
};

void AppendSegment(QByteArray& out, quint8 marker, const QByteArray& data)
{
    out.append(char(0xFF));
    out.append(char(marker));
    AppendBigEndian16(out, int(data.size()) + 2);
    out.append(data);
}

} // namespace

QByteArray SmallPng(quint32 seed)
{
    const quint32 a = Mix(seed);
    const quint32 b = Mix(seed ^ 0x9E3779B9u);
    constexpr int size = 8;
    QByteArray raw;
    for (int y = 0; y < size; ++y) {
        raw.append('\0'); // filter type none
        for (int x = 0; x < size; ++x) {
            const quint32 colour = ((x + y) % 2 == 0) ? a : b;
            raw.append(char(colour & 0xFF));
            raw.append(char((colour >> 8) & 0xFF));
            raw.append(char((colour >> 16) & 0xFF));
        }
    }
    QByteArray header;
    AppendBigEndian32(header, size);
    AppendBigEndian32(header, size);
    header.append(char(8)); // bit depth
    header.append(char(2)); // RGB
    header.append(char(0)); // deflate
    header.append(char(0)); // adaptive filtering
    header.append(char(0)); // no interlace

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    AppendPngChunk(png, "IHDR", header);
    AppendPngChunk(png, "IDAT", qCompress(raw).mid(4)); // qCompress prefixes the zlib stream with a length
    AppendPngChunk(png, "IEND", QByteArray());
    return png;
}

QByteArray SmallJpeg(quint32 seed, const QByteArray& comment)
{
    QByteArray jpeg;
    jpeg.append(char(0xFF));
    jpeg.append(char(0xD8)); // start of image
    if (!comment.isEmpty()) {
        AppendSegment(jpeg, 0xFE, comment.left(60000));
    }
    // One quantisation table of ones: the coefficients are stored as they are.
    AppendSegment(jpeg, 0xDB, QByteArray(1, '\0') + QByteArray(64, char(1)));
    // Baseline frame, 8 x 8, one component.
    QByteArray frame;
    frame.append(char(8));
    AppendBigEndian16(frame, 8);
    AppendBigEndian16(frame, 8);
    frame.append(char(1));
    frame.append(char(1));
    frame.append(char(0x11));
    frame.append(char(0));
    AppendSegment(jpeg, 0xC0, frame);
    // DC table: the usual luminance table (categories 0 to 11). AC table: end-of-block only, code "0".
    static const std::array<quint8, 16> dcBits{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    QByteArray dcTable(1, char(0x00));
    for (const quint8 count : dcBits) {
        dcTable.append(char(count));
    }
    for (int category = 0; category <= 11; ++category) {
        dcTable.append(char(category));
    }
    AppendSegment(jpeg, 0xC4, dcTable);
    QByteArray acTable(1, char(0x10));
    acTable.append(char(1));
    acTable.append(QByteArray(15, '\0'));
    acTable.append('\0');
    AppendSegment(jpeg, 0xC4, acTable);
    QByteArray scan;
    scan.append(char(1));
    scan.append(char(1));
    scan.append(char(0x00));
    scan.append(char(0));
    scan.append(char(63));
    scan.append(char(0));
    AppendSegment(jpeg, 0xDA, scan);

    // A block of one shade has only its DC coefficient: 8 times the level-shifted sample.
    const int shade = 16 + int(Mix(seed) % 224);
    const int dc = 8 * (shade - 128);
    int category = 0;
    for (int magnitude = dc < 0 ? -dc : dc; magnitude > 0; magnitude >>= 1) {
        ++category;
    }
    // Codes of the DC table above, by category: (code, length).
    static const std::array<std::pair<quint32, int>, 12> dcCodes{{{0b00, 2},
                                                                  {0b010, 3},
                                                                  {0b011, 3},
                                                                  {0b100, 3},
                                                                  {0b101, 3},
                                                                  {0b110, 3},
                                                                  {0b1110, 4},
                                                                  {0b11110, 5},
                                                                  {0b111110, 6},
                                                                  {0b1111110, 7},
                                                                  {0b11111110, 8},
                                                                  {0b111111110, 9}}};
    BitWriter bits;
    bits.put(dcCodes[size_t(category)].first, dcCodes[size_t(category)].second);
    if (category > 0) {
        const int value = dc >= 0 ? dc : dc + (1 << category) - 1;
        bits.put(quint32(value), category);
    }
    bits.put(0, 1); // end of block
    jpeg.append(bits.finish());
    jpeg.append(char(0xFF));
    jpeg.append(char(0xD9)); // end of image
    return jpeg;
}

} // namespace FakeWeb
