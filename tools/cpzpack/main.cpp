// cpzpack: packs files into a project archive.
//
//   cpzpack OUTPUT.cpz SOURCE_FOLDER [--utf16be] /MEMBER [[--utf16be] /MEMBER ...]
//
// Each member "/a/b.ext" is read from SOURCE_FOLDER/a/b.ext and stored in the
// order given. "--utf16be" before a member converts that member's UTF-8 text
// to UTF-16 big-endian with a byte-order mark, the encoding of panel files,
// and declares that encoding in its XML declaration; the source stays
// readable UTF-8 in the repository.

#include "ArchiveWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

QByteArray toUtf16BigEndian(const QByteArray &utf8)
{
    QString text = QString::fromUtf8(utf8);
    if (text.startsWith(QLatin1String("<?xml"))) {
        const qsizetype end = text.indexOf(QLatin1String("?>"));
        if (end > 0)
            text.replace(0, end + 2, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>"));
    }
    QByteArray out("\xFE\xFF", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() >> 8));
        out.append(char(c.unicode() & 0xFF));
    }
    return out;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "cpzpack: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 3)
        return fail(QStringLiteral("usage: cpzpack OUTPUT SOURCE_FOLDER [--utf16be] /MEMBER..."));

    const QString output = args.takeFirst();
    const QString source = args.takeFirst();
    ArchiveWriter writer;
    bool utf16 = false;
    for (const QString &arg : qAsConst(args)) {
        if (arg == QLatin1String("--utf16be")) {
            utf16 = true;
            continue;
        }
        if (!arg.startsWith(QLatin1Char('/')))
            return fail(QStringLiteral("member names begin with '/': ") + arg);
        QFile file(source + arg);
        if (!file.open(QIODevice::ReadOnly))
            return fail(file.fileName() + QStringLiteral(": ") + file.errorString());
        QByteArray content = file.readAll();
        if (utf16)
            content = toUtf16BigEndian(content);
        writer.addFile(arg, content);
        utf16 = false;
    }
    QString error;
    if (!writer.writeTo(output, &error))
        return fail(output + QStringLiteral(": ") + error);
    return 0;
}
