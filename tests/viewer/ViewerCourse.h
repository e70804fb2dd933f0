#pragma once

#include "MhtSamples.h"
#include "store/Dataset.h"
#include "store/TDataModule2.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QVariantMap>

// A small course in a temporary folder: a title page, an about page, lesson pages (one a web
// archive with file:/// pictures), pictures, a topic outline and a database of lessons.
class ViewerCourse
{
public:
    QTemporaryDir dir;

    QString root() const { return QDir::toNativeSeparators(dir.path()); }
    QString local(const QString& relative) const { return dir.filePath(relative); }

    void write(const QString& relative, const QByteArray& bytes) const
    {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    // One line per topic, TABs for depth, CR LF, Windows-1251.
    void writeOutline(const QStringList& lines) const
    {
        QStringEncoder cp1251("windows-1251");
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += QByteArray(cp1251.encode(line)) + "\r\n";
        write(QStringLiteral("log.log"), bytes);
    }

    // Lessons: the title and the fields that are not Null.
    void addLessons(const QList<std::pair<QString, QVariantMap>>& lessons) const
    {
        TDataModule2 module(nullptr, dir.filePath(QStringLiteral("db1.sqlite")));
        module.DataModuleCreate();
        for (const auto& [title, fields] : lessons) {
            module.Turok->insert();
            module.Turok->setValue(QStringLiteral("urok"), title);
            for (auto it = fields.begin(); it != fields.end(); ++it)
                module.Turok->setValue(it.key(), it.value());
            module.Turok->post();
        }
    }

    static QByteArray bitmap(int width, int height, const QColor& colour)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "BMP");
        return bytes;
    }

    static QByteArray page(const QString& title)
    {
        return QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                              "<body><h1>%1</h1></body></html>")
            .arg(title)
            .toUtf8();
    }
};
