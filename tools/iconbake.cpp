// Renders the program's SVG icons into raw premultiplied ARGB32 pixels at
// a few sizes, at build time, so that the program shows its icons without
// loading the SVG renderer and its plugin at start-up.
//
//   orvet_iconbake OUTDIR SIZES FILE.svg...
//
// writes OUTDIR/<name>-<size>.argb (size × size × 4 bytes, this machine's
// byte order) for every file and every size in the comma-separated SIZES.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: orvet_iconbake OUTDIR SIZES FILE.svg...\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(out.path()));
        return 1;
    }
    QList<int> sizes;
    for (const QString &s : args[2].split(QLatin1Char(',')))
        sizes.append(s.toInt());
    for (const QString &file : args.mid(3)) {
        QSvgRenderer svg(file);
        if (!svg.isValid()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
            return 1;
        }
        for (int size : std::as_const(sizes)) {
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            {
                QPainter p(&image);
                p.setRenderHint(QPainter::Antialiasing);
                svg.render(&p, QRectF(0, 0, size, size));
            }
            QSaveFile f(out.filePath(QStringLiteral("%1-%2.argb").arg(QFileInfo(file).completeBaseName()).arg(size)));
            const qsizetype bytes = qsizetype(size) * size * 4;
            if (!f.open(QIODevice::WriteOnly) ||
                f.write(reinterpret_cast<const char *>(image.constBits()), bytes) != bytes || !f.commit()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
                return 1;
            }
        }
    }
    return 0;
}
