// Where the main window opens and which column item is marked, from the settings store.

#include "app/shell/Placement.h"

#include "app/report/FindBar.h"
#include "app/shell/Main.h"
#include "tests/app/QtTestRegistry.h"
#include "tests/app/Recorders.h"

#include <QTest>
#include <QVBoxLayout>

namespace qvr::test {

namespace {

QAction* CheckedColumnItem(TFormMain& window) {
    QAction* checked = nullptr;
    for (QAction* item : window.MenuItems()) {
        if (item->isChecked() && TFormMain::Tag(*item) != 0) {
            if (checked != nullptr) {
                return nullptr; // more than one: wrong in any case
            }
            checked = item;
        }
    }
    return checked;
}

} // namespace

class PlacementTest : public QObject {
    Q_OBJECT
private slots:
    void FirstRunIsCentredWithTheDesignSize() {
        TWindowFixture f;
        TFormMain& window = f.Create(QRect(0, 0, 1280, 1024));
        QCOMPARE(window.size(), QSize(736, 456));
        QCOMPARE(window.pos(), QPoint((1280 - 736) / 2, (1024 - 456) / 2));
        QCOMPARE(window.ColumnCount(), 4);
        QCOMPARE(CheckedColumnItem(window), &window.Command("Cmd4Col"));
        QVERIFY(!SettingsKeyExists()); // reading creates nothing
    }

    void FirstRunCentresOnAWorkAreaThatDoesNotStartAtZero() {
        TWindowFixture f;
        TFormMain& window = f.Create(QRect(100, 40, 1000, 800));
        QCOMPARE(window.pos(), QPoint(100 + (1000 - 736) / 2, 40 + (800 - 456) / 2));
    }

    void StoredBounds_data() {
        QTest::addColumn<QList<int>>("stored"); // width, height, left, top; -1 = absent
        QTest::addColumn<QRect>("expected");    // left, top, width, height
        QTest::newRow("all four used") << QList<int>{800, 500, 100, 60} << QRect(100, 60, 800, 500);
        QTest::newRow("left 5000 on a 1280 work area: moved back whole")
            << QList<int>{800, 500, 5000, 60} << QRect(480, 60, 800, 500);
        QTest::newRow("right edge exactly at the work area's")
            << QList<int>{800, 500, 480, 60} << QRect(480, 60, 800, 500);
        QTest::newRow("top -20") << QList<int>{800, 500, 100, -20} << QRect(100, 0, 800, 500);
        QTest::newRow("top below height minus 50: moved back whole")
            << QList<int>{800, 500, 100, 2000} << QRect(100, 524, 800, 500);
        QTest::newRow("stored on a larger screen: shrunk to the work area")
            << QList<int>{2560, 1440, 1200, 700} << QRect(0, 0, 1280, 1024);
        QTest::newRow("negative left") << QList<int>{800, 500, -300, 10} << QRect(0, 10, 800, 500);
        QTest::newRow("width absent keeps 736")
            << QList<int>{-1, 500, 100, 60} << QRect(100, 60, 736, 500);
        QTest::newRow("only the Open values")
            << QList<int>{-1, -1, -1, -1} << QRect(523, 214, 736, 456);
        QTest::newRow("size below the minimum is raised to it")
            << QList<int>{10, 10, 100, 60} << QRect(100, 60, 250, 100);
    }

    void StoredBounds() {
        QFETCH(QList<int>, stored);
        QFETCH(QRect, expected);
        TWindowFixture f;
        const char* names[] = {"MainWidth", "MainHeight", "MainLeft", "MainTop"};
        for (int i = 0; i < 4; ++i) {
            if (stored[i] != -1) {
                WriteSetting(names[i], stored[i]);
            }
        }
        // The Open command's values make the key exist in every row.
        WriteSetting("OpenFilterIndex", 3);
        WriteSetting("InitialDir", std::string("/tmp/"));
        TFormMain& window = f.Create(QRect(0, 0, 1280, 1024));
        QCOMPARE(QRect(window.pos(), window.size()), expected);
    }

    void WithoutAWorkAreaOnlyNegativesAreCorrected() {
        TWindowFixture f;
        WriteSetting("MainLeft", 5000);
        WriteSetting("MainTop", -20);
        TFormMain& window = f.Create(std::nullopt);
        QCOMPARE(window.pos(), QPoint(5000, 0));
    }

    void StoredColumnCount_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("0") << 0 << 4;
        QTest::newRow("5") << 5 << 4;
        QTest::newRow("-3") << -3 << 4;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("2") << 2 << 2;
        QTest::newRow("3") << 3 << 3;
    }

    void StoredColumnCount() {
        QFETCH(int, stored);
        QFETCH(int, expected);
        TWindowFixture f;
        WriteSetting("ColCount", stored);
        TFormMain& window = f.Create();
        QCOMPARE(window.ColumnCount(), expected);
        QAction* checked = CheckedColumnItem(window);
        QVERIFY(checked != nullptr);
        QCOMPARE(TFormMain::Tag(*checked), expected);
    }

    void ColumnCountStoredAsTextIsIgnored() {
        TWindowFixture f;
        WriteSetting("ColCount", std::string("3"));
        TFormMain& window = f.Create();
        QCOMPARE(window.ColumnCount(), 4);
        QCOMPARE(CheckedColumnItem(window), &window.Command("Cmd4Col"));
    }

    void ClampingRule() {
        const QRect area(0, 0, 1280, 1024);
        QCOMPARE(ClampStoredBounds({1181, 975, 1, 2}, area), (TWindowBounds{1180, 974, 1, 2}));
        QCOMPARE(ClampStoredBounds({0, 0, 1, 2}, area), (TWindowBounds{0, 0, 1, 2}));
        QCOMPARE(ClampStoredBounds({5000, 5000, 1, 2}, QRect(0, 0, 50, 20)),
                 (TWindowBounds{0, 0, 1, 2}));
    }

    void FittingOnAWorkAreaThatDoesNotStartAtZero() {
        const QRect area(100, 40, 1000, 800);
        const QSize minimum(250, 100);
        QCOMPARE(FitOnWorkArea({0, 0, 800, 500}, area, minimum),
                 (TWindowBounds{100, 40, 800, 500}));
        QCOMPARE(FitOnWorkArea({900, 700, 800, 500}, area, minimum),
                 (TWindowBounds{300, 340, 800, 500}));
        // A work area below the minimum size: the minimum wins, from the area's corner.
        QCOMPARE(FitOnWorkArea({50, 50, 800, 500}, QRect(0, 0, 200, 80), minimum),
                 (TWindowBounds{0, 0, 250, 100}));
    }

    // The frame goes on the work area too: a title bar of 24 and borders of 4.
    void FittingTheFrame_data() {
        QTest::addColumn<QRect>("stored"); // frame corner, inside size
        QTest::addColumn<QRect>("expected");
        QTest::newRow("near the bottom right: moved in by the frame")
            << QRect(480, 524, 800, 500) << QRect(472, 496, 800, 500);
        QTest::newRow("larger than the work area: the inside shrunk by the frame")
            << QRect(0, 0, 2560, 1440) << QRect(0, 0, 1272, 996);
        QTest::newRow("within, frame and all: unchanged")
            << QRect(100, 60, 800, 500) << QRect(100, 60, 800, 500);
        QTest::newRow("just too tall with its frame")
            << QRect(0, 0, 800, 1000) << QRect(0, 0, 800, 996);
    }

    void FittingTheFrame() {
        QFETCH(QRect, stored);
        QFETCH(QRect, expected);
        const TWindowBounds fitted =
            FitOnWorkArea({stored.x(), stored.y(), stored.width(), stored.height()},
                          QRect(0, 0, 1280, 1024), QSize(250, 100), QMargins(4, 24, 4, 4));
        QCOMPARE(QRect(fitted.Left, fitted.Top, fitted.Width, fitted.Height), expected);
    }

    // The find bar stays one line high under the report, however large the window grows.
    void FindBarKeepsItsHeightAtEveryWindowSize() {
        QWidget panel;
        QVBoxLayout layout(&panel);
        TCallLog log;
        TRecordingView view(log);
        TFindBar bar(view, panel);
        layout.addWidget(&view.Widget());
        layout.addWidget(&bar);
        panel.show();
        bar.Open();
        for (const QSize size : {QSize(400, 300), QSize(1280, 1024), QSize(2560, 1440)}) {
            panel.resize(size);
            layout.activate();
            QCOMPARE(bar.height(), bar.sizeHint().height());
            const QMargins margins = layout.contentsMargins();
            QCOMPARE(view.Widget().height(), size.height() - margins.top() - margins.bottom() -
                                                 layout.spacing() - bar.height());
        }
    }
};

QVR_REGISTER_TEST(PlacementTest);

} // namespace qvr::test

#include "PlacementTest.moc"
