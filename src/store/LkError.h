#pragma once

#include <QString>
#include <exception>

// An error of the system: carries the exact text the user sees and the kind of error
// (the class name shown by the fatal "Application Error" box, e.g. "EDatabaseError").
class LkError : public std::exception
{
public:
    explicit LkError(QString message, QString kind = QStringLiteral("Exception"));

    const QString& message() const noexcept { return m_message; }
    const QString& kind() const noexcept { return m_kind; }
    const char* what() const noexcept override { return m_utf8.constData(); }

    // The text as the default error box shows it: a full stop is added when the last
    // character sorts after "." (so "File not found" gets one, a text ending in ")" does not).
    static QString boxText(const QString& message);

private:
    QString m_message;
    QString m_kind;
    QByteArray m_utf8;
};

// Error kinds used across the system.
namespace LkErrorKind {
inline const QString Database = QStringLiteral("EDatabaseError");
inline const QString InOut = QStringLiteral("EInOutError");
inline const QString VariantCast = QStringLiteral("EVariantTypeCastError");
inline const QString FileCreate = QStringLiteral("EFCreateError");
inline const QString FileOpen = QStringLiteral("EFOpenError");
inline const QString TreeView = QStringLiteral("ETreeViewError");
inline const QString Graphic = QStringLiteral("EInvalidGraphic");
inline const QString Media = QStringLiteral("EMCIDeviceError");
inline const QString Convert = QStringLiteral("EConvertError");
} // namespace LkErrorKind
