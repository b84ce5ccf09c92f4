// Renders the program's icon at the sizes the desktop's icon theme looks for:
// render_icon ICON.svg OUTPUT_DIR SIZE... writes OUTPUT_DIR/SIZExSIZE/kissconv.png;
// render_icon ICON.svg --ico FILE.ico SIZE... writes one Windows icon file holding every size
// (32-bit pictures with their masks), as win32/kissconv.ico is made.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdio>
#include <vector>

namespace {

QImage Render(QSvgRenderer& icon, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.render(&painter);
    painter.end();
    return image;
}

template <typename T> void Put(QByteArray& bytes, T value)
{
    const T little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

// One icon picture: its header, the colours bottom-up, and the mask (1 = transparent).
QByteArray IconPicture(const QImage& image)
{
    const int size = image.width();
    QByteArray bytes;
    Put<quint32>(bytes, 40), Put<qint32>(bytes, size), Put<qint32>(bytes, 2 * size);
    Put<quint16>(bytes, 1), Put<quint16>(bytes, 32);
    for (int i = 0; i < 6; ++i)
        Put<quint32>(bytes, 0);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x)
            Put<quint32>(bytes, image.pixel(x, y));
    const int rowBytes = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < size; ++x)
            if (qAlpha(image.pixel(x, y)) < 128)
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        bytes += row;
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(
            stderr,
            "usage: render_icon ICON.svg OUTPUT_DIR SIZE... | ICON.svg --ico FILE.ico SIZE...\n");
        return 2;
    }
    QSvgRenderer icon(QString::fromLocal8Bit(argv[1]));
    if (!icon.isValid()) return 1;
    const bool ico = QByteArray(argv[2]) == "--ico";
    const int first = ico ? 4 : 3;
    std::vector<QByteArray> pictures;
    for (int i = first; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QImage image = Render(icon, size);
        if (ico) {
            pictures.push_back(IconPicture(image));
            continue;
        }
        const QString folder = QString::fromLocal8Bit(argv[2]) + QStringLiteral("/%1x%1").arg(size);
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/kissconv.png")))
            return 1;
    }
    if (!ico) return 0;
    QByteArray file;
    Put<quint16>(file, 0), Put<quint16>(file, 1),
        Put<quint16>(file, static_cast<quint16>(pictures.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const int size = QString::fromLatin1(argv[first + static_cast<int>(i)]).toInt();
        file.append(static_cast<char>(size >= 256 ? 0 : size))
            .append(static_cast<char>(size >= 256 ? 0 : size));
        file.append('\0').append('\0');
        Put<quint16>(file, 1), Put<quint16>(file, 32);
        Put<quint32>(file, static_cast<quint32>(pictures[i].size())), Put<quint32>(file, offset);
        offset += static_cast<quint32>(pictures[i].size());
    }
    for (const QByteArray& picture : pictures)
        file += picture;
    QFile out(QString::fromLocal8Bit(argv[3]));
    return out.open(QIODevice::WriteOnly) && out.write(file) == file.size() ? 0 : 1;
}
