// What keeps the start light: the first paint of the main window loads no
// image plugin, no SVG renderer and no library only an export needs, the
// dialogs wait for the first command, and the pieces standing in for the
// heavy ones draw what they replace.
#include "ScriptedDialogHost.h"
#include "TestDir.h"

#include "app/AppForms.h"
#include "app/LeanStyle.h"
#include "app/TMainForm.h"
#include "controls/BakedIcon.h"
#include "controls/GridDelegate.h"
#include "core/LazyLibrary.h"
#include "core/OrvetError.h"
#include "data/ActionList.h"
#include "data/TDM1.h"
#include "forms/TOptions_F.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

namespace {

// How many pixels of the image differ from its first one, and where.
QRect inkOf(const QImage &image, int *count = nullptr) {
    const QRgb ground = image.pixel(0, 0);
    QRect box;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != ground) {
                box |= QRect(x, y, 1, 1);
                ++n;
            }
    if (count)
        *count = n;
    return box;
}

int opaquePixels(const QImage &image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0;
    return n;
}

} // namespace

class TestLeanStart : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        pinRussianLocale();
        QApplication::setStyle(new LeanStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    }

    // Runs first, while this process has loaded nothing else.
    void firstPaintLoadsNoImagePlugin() {
        TestDir dir;
        ScriptedDialogHost host;
        QApplication::setWindowIcon(BakedIcon::icon(QStringLiteral("orvet")));
        TMainForm mainForm;
        TDM1 dm(dir.path(), dir.ini());
        AppForms forms(dm, &mainForm);
        dm.LPoezd().insertRecord({{}, QStringLiteral("Офис"), QStringLiteral("09:00"), QStringLiteral("18:00"), 12.0});
        mainForm.setDataModule(&dm);
        mainForm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainForm));
        mainForm.grab(); // every widget painted, menus and tool bars included
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray loaded = maps.readAll();
        QVERIFY2(!loaded.contains("/imageformats/"), "an image format plugin was loaded");
        QVERIFY2(!loaded.contains("/iconengines/"), "an icon engine plugin was loaded");
        QVERIFY2(!loaded.contains("libQt6Svg"), "the SVG renderer was loaded");
        // The spreadsheet writer (with OpenSSL behind it) waits for the first
        // export, the .xls reader for the first such statement; the one-copy
        // socket needs no network module.
        for (const char *later : {"libxlsxwriter", "libcrypto", "libfreexl", "libQt6Network"})
            QVERIFY2(!loaded.contains(later), later);
        QVERIFY(!forms.made());
        QVERIFY(host.errors.isEmpty());
    }

    // Found once on first use; a missing library or function is named.
    void lazyLibraryNamesWhatIsMissing_data() {
        QTest::addColumn<QString>("soname");
        QTest::addColumn<QByteArray>("function");
        QTest::addColumn<QString>("named");
        QTest::newRow("found") << QStringLiteral("libc.so.6") << QByteArray("strlen") << QString();
        QTest::newRow("no library") << QStringLiteral("liborvet-absent.so.1") << QByteArray("strlen")
                                    << QStringLiteral("Не удалось загрузить библиотеку liborvet-absent.so.1");
        QTest::newRow("no function") << QStringLiteral("libc.so.6") << QByteArray("orvet_absent")
                                     << QStringLiteral("orvet_absent");
    }
    void lazyLibraryNamesWhatIsMissing() {
        QFETCH(QString, soname);
        QFETCH(QByteArray, function);
        QFETCH(QString, named);
        LazyLibrary library(soname);
        try {
            const auto length = library.function<size_t (*)(const char *)>(function.constData());
            QVERIFY2(named.isEmpty(), "found what is not there");
            QCOMPARE(length("путь"), size_t(8));
        } catch (const OrvetError &e) {
            QVERIFY2(!named.isEmpty(), qPrintable(e.message()));
            QVERIFY2(e.message().contains(named), qPrintable(e.message()));
        }
    }

    void dialogsComeWithTheFirstCommand() {
        TestDir dir;
        ScriptedDialogHost host;
        TMainForm mainForm;
        TDM1 dm(dir.path(), dir.ini());
        {
            AppForms forms(dm, &mainForm);
            mainForm.setDataModule(&dm);
            QVERIFY(!forms.made());
            QDialog *first = nullptr, *second = nullptr;
            for (QDialog **seen : {&first, &second}) {
                host.expectDialog([seen](QDialog *d) {
                    *seen = d;
                    return int(QDialog::Rejected);
                });
                dm.execute(QStringLiteral("Options_Main"));
            }
            QVERIFY(forms.made());
            QVERIFY(qobject_cast<TOptions_F *>(first));
            QCOMPARE(first, second); // made once
            QCOMPARE(first->parentWidget(), &mainForm);
            QVERIFY(dm.Orvet_New_F() && dm.Chesk_New_F() && dm.Poezd_New_F() && dm.Orvet_New_Day_N_F());
        }
        // Gone with their owner; the module no longer names them.
        QVERIFY(!dm.Options_F());
        QVERIFY(!dm.Orvet_New_F());
        QVERIFY(host.errors.isEmpty());
    }

    void bakedIcons() {
        QList<QIcon> icons{BakedIcon::icon(QStringLiteral("orvet"))};
        for (int i = 0; i < ActionList::ImageCount; ++i)
            icons.append(ActionList::image(Image(i)));
        for (const QIcon &icon : std::as_const(icons)) {
            QVERIFY(!icon.isNull());
            for (int size : {16, 20, 24, 32, 48, 64, 100}) {
                const QImage image = icon.pixmap(QSize(size, size)).toImage();
                QCOMPARE(image.size(), QSize(size, size));
                QVERIFY(opaquePixels(image) > size * size / 10); // a picture, not a blank
            }
            const QImage normal = icon.pixmap(32).toImage();
            const QImage disabled = icon.pixmap(QSize(32, 32), QIcon::Disabled).toImage();
            QVERIFY(normal != disabled);
        }
        QVERIFY(BakedIcon::icon(QStringLiteral("no such icon")).isNull());
        QVERIFY(ActionList::image(Image::None).isNull());
        QVERIFY(ActionList::image(Image(ActionList::ImageCount)).isNull());
    }

    void leanStyleDrawsWhatFusionLoads() {
        LeanStyle lean(QStyleFactory::create(QStringLiteral("Fusion")));
        for (auto sp : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
            const QImage image = lean.standardIcon(sp).pixmap(16).toImage();
            QVERIFY(opaquePixels(image) > 8);
        }
        // The group box frame: an outline along the edges, nothing inside.
        QImage image(60, 40, QImage::Format_ARGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            QStyleOptionFrame opt;
            opt.rect = QRect(5, 5, 50, 30);
            opt.palette = QApplication::palette();
            lean.drawPrimitive(QStyle::PE_FrameGroupBox, &opt, &p);
        }
        QCOMPARE(inkOf(image).adjusted(-1, -1, 1, 1).intersected(QRect(4, 4, 52, 32)), inkOf(image).adjusted(-1, -1, 1, 1));
        QVERIFY(image.pixel(30, 20) == QColor(Qt::white).rgb());
        QVERIFY(image.pixel(30, 5) != QColor(Qt::white).rgb());

        // Any other base style is left as it is.
        LeanStyle other(QStyleFactory::create(QStringLiteral("Windows")));
        const QIcon base = other.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        QVERIFY(!base.availableSizes().isEmpty()); // the base's own picture files
    }

    void gridDelegateDrawsOneLine() {
        QStandardItemModel model(1, 1);
        auto *item = new QStandardItem(QStringLiteral("12345"));
        item->setData(int(Qt::AlignRight | Qt::AlignVCenter), Qt::TextAlignmentRole);
        model.setItem(0, 0, item);
        GridDelegate delegate;
        QStyleOptionViewItem opt;
        opt.rect = QRect(0, 0, 120, 20);
        opt.font = QApplication::font();
        opt.fontMetrics = QFontMetrics(opt.font);
        opt.palette = QApplication::palette();
        opt.state = QStyle::State_Enabled | QStyle::State_Active;
        auto draw = [&](const QStyleOptionViewItem &o) {
            QImage image(o.rect.size(), QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            delegate.paint(&p, o, model.index(0, 0));
            return image;
        };
        // Right-aligned: the ink ends near the right edge.
        QRect ink = inkOf(draw(opt));
        QVERIFY2(ink.right() > 110 && ink.left() > 60, qPrintable(QStringLiteral("%1..%2").arg(ink.left()).arg(ink.right())));
        // Left-aligned by default.
        item->setData(QVariant(), Qt::TextAlignmentRole);
        ink = inkOf(draw(opt));
        QVERIFY(ink.left() < 10 && ink.right() < 60);
        // Too long for the cell: cut, never drawn past it.
        item->setText(QStringLiteral("Очень длинное название поездки, которое не помещается"));
        opt.rect = QRect(0, 0, 80, 20);
        int count = 0;
        ink = inkOf(draw(opt), &count);
        QVERIFY(count > 0 && ink.right() < 80);
        // Selected: the highlight fills the cell.
        opt.state |= QStyle::State_Selected;
        const QImage selected = draw(opt);
        QCOMPARE(QColor(selected.pixel(1, 1)), opt.palette.color(QPalette::Active, QPalette::Highlight));
    }
};

QTEST_MAIN(TestLeanStart)
#include "tst_leanstart.moc"
