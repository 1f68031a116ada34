// Pieces the tool windows share with the main window: where a tool window
// opens, and the file dialog filters in the desktop's form.
#include <QApplication>
#include <QTest>

#include "tools/file_dialogs.h"
#include "tools/tool_host.h"

using namespace tolvane;

class ToolHostTest : public QObject {
    Q_OBJECT

  private slots:
    void placement_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<int>("band");
        QTest::addColumn<QSize>("own");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("beside the band frame") << QRect(100, 50, 800, 600) << 200 << QSize(300, 400)
                                               << QSize(1920, 1080) << true << QPoint(700, 50);
        QTest::newRow("past the right edge, kept on the screen")
            << QRect(1500, 50, 800, 600) << 200 << QSize(300, 400) << QSize(1920, 1080) << true
            << QPoint(1620, 50);
        QTest::newRow("past the bottom, kept on the screen")
            << QRect(100, 900, 800, 600) << 200 << QSize(300, 400) << QSize(1920, 1080) << true
            << QPoint(700, 680);
        QTest::newRow("past both edges, not clamped")
            << QRect(1500, 900, 800, 600) << 200 << QSize(300, 400) << QSize(1920, 1080) << false
            << QPoint(2100, 900);
        QTest::newRow("wider than the band frame") << QRect(0, 0, 100, 100) << 300 << QSize(50, 50)
                                                   << QSize(1920, 1080) << true << QPoint(-200, 0);
    }
    void placement() {
        QFETCH(QRect, main);
        QFETCH(int, band);
        QFETCH(QSize, own);
        QFETCH(QSize, screen);
        QFETCH(bool, keep);
        QFETCH(QPoint, at);
        QCOMPARE(toolWindowPosition(main, band, own, screen, keep), at);
    }

    void filters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("open") << "Text files|*.txt" << QStringList{"Text files (*.txt)"};
        QTest::newRow("save, trailing bar") << "All Files|*.*|Text Files|*.txt|"
                                            << QStringList{"All Files (*.*)", "Text Files (*.txt)"};
        QTest::newRow("description without a pattern") << "Text files" << QStringList{};
        QTest::newRow("empty pattern dropped") << "A||B|*.b" << QStringList{"B (*.b)"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void filters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, qt);
        QCOMPARE(qtFileFilters(filter.toStdString()), qt);
    }
};

QTEST_MAIN(ToolHostTest)
#include "test_window_tools_host.moc"
