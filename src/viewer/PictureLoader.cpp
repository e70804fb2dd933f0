#include "PictureLoader.h"

#include "EmfPlayer.h"
#include "WmfPlayer.h"
#include "store/LkError.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

enum class Kind { Bitmap, Icon, Jpeg, Wmf, Emf };

Kind kindOf(const QString& fileName)
{
    const QString ext = QFileInfo(fileName).suffix();
    const QString lower = ext.toLower();
    if (lower == QLatin1String("bmp"))
        return Kind::Bitmap;
    if (lower == QLatin1String("ico"))
        return Kind::Icon;
    if (lower == QLatin1String("jpg") || lower == QLatin1String("jpeg"))
        return Kind::Jpeg;
    if (lower == QLatin1String("wmf"))
        return Kind::Wmf;
    if (lower == QLatin1String("emf"))
        return Kind::Emf;
    throw LkError(QStringLiteral("Unknown picture file extension (.%1)").arg(ext),
                  LkErrorKind::Graphic);
}

[[noreturn]] void unreadable(const QString& fileName, const QString& reason)
{
    throw LkError(QStringLiteral("Cannot load the picture \"%1\": %2")
                      .arg(QDir::toNativeSeparators(fileName), reason),
                  LkErrorKind::Graphic);
}

QImage readImage(const QByteArray& data, Kind kind, const QString& fileName)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const char* format = kind == Kind::Bitmap ? "bmp" : kind == Kind::Icon ? "ico" : "jpeg";
    QImageReader reader(&buffer, format);
    // A file whose contents are of another kind than its name says is still read.
    reader.setDecideFormatFromContent(true);
    QImage best;
    if (kind == Kind::Icon && reader.imageCount() > 1) {
        // An icon file holds several sizes: the largest draws best when stretched.
        for (int i = 0; i < reader.imageCount(); ++i) {
            if (!reader.jumpToImage(i))
                break;
            const QImage image = reader.read();
            if (!image.isNull() &&
                qint64(image.width()) * image.height() > qint64(best.width()) * best.height())
                best = image;
        }
    } else {
        best = reader.read();
    }
    if (best.isNull()) {
        const QString what = kind == Kind::Bitmap ? QStringLiteral("bitmap")
                             : kind == Kind::Icon ? QStringLiteral("icon")
                                                  : QStringLiteral("JPEG image");
        unreadable(fileName, QStringLiteral("the %1 is damaged or not of this kind (%2)")
                                 .arg(what, reader.errorString()));
    }
    return best;
}

} // namespace

Picture PictureLoader::load(const QString& path)
{
    kindOf(path); // an unknown extension is refused before the file is opened
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw LkError(QStringLiteral("Cannot open file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString()),
                      LkErrorKind::Graphic);
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw LkError(QStringLiteral("Cannot read file \"%1\". %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString()),
                      LkErrorKind::Graphic);
    return fromData(data, path);
}

Picture PictureLoader::fromData(const QByteArray& data, const QString& fileName)
{
    const Kind kind = kindOf(fileName);
    try {
        switch (kind) {
        case Kind::Wmf:
        case Kind::Emf:
            // Both extensions name a metafile; its first bytes tell which kind it is.
            if (EmfPlayer::isEnhanced(data))
                return Picture(std::make_shared<const EmfPlayer>(data));
            return Picture(std::make_shared<const WmfPlayer>(data));
        default:
            return Picture(readImage(data, kind, fileName));
        }
    } catch (const LkError& e) {
        if (kind == Kind::Wmf || kind == Kind::Emf)
            unreadable(fileName, e.message());
        throw;
    }
}
