#include <QTest>

#include "ui/PictureList.h"

namespace {

std::vector<std::string> Files(const char* prefix, int count) {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        files.push_back(prefix + std::to_string(i) + ".jpg");
    }
    return files;
}

}  // namespace

class TPictureListTest : public QObject {
    Q_OBJECT

private slots:
    void keepsTheNewest255_data();
    void keepsTheNewest255();
    void insertSelectsFirstEntry();
    void deletes_data();
    void deletes();
    void deleteWithoutSelectionDoesNothing();
};

void TPictureListTest::keepsTheNewest255_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("300 into empty") << 0 << 300 << "new45.jpg"
                                    << "new299.jpg";
    QTest::newRow("250 + 5") << 250 << 5 << "old0.jpg"
                             << "new4.jpg";
    QTest::newRow("250 + 6") << 250 << 6 << "old1.jpg"
                             << "new5.jpg";
    QTest::newRow("255 + 1") << 255 << 1 << "old1.jpg"
                             << "new0.jpg";
}

void TPictureListTest::keepsTheNewest255() {
    QFETCH(int, before);
    QFETCH(int, added);
    QFETCH(QString, first);
    QFETCH(QString, last);
    TPictureList list;
    if (before > 0) {
        list.Insert(Files("old", before));
    }
    list.Insert(Files("new", added));
    QCOMPARE(list.Count(), std::min(before + added, 255));
    QCOMPARE(QString::fromStdString(list.Files().front()), first);
    QCOMPARE(QString::fromStdString(list.Files().back()), last);
    QCOMPARE(list.Selected(), 0);
}

void TPictureListTest::insertSelectsFirstEntry() {
    TPictureList list;
    list.Insert(Files("a", 10));
    list.Select(7);
    QCOMPARE(list.SelectedFile(), std::string("a7.jpg"));
    list.Insert({"b.jpg", "b.jpg"});  // duplicates are allowed
    QCOMPARE(list.Selected(), 0);
    QCOMPARE(list.Count(), 12);
    QCOMPARE(list.Files()[11], std::string("b.jpg"));
}

void TPictureListTest::deletes_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("newSelected");
    QTest::addColumn<QString>("newSelectedFile");
    QTest::newRow("only entry") << 1 << 0 << -1 << "";
    QTest::newRow("last of three") << 3 << 2 << 1 << "p1.jpg";
    QTest::newRow("index 2 of five") << 5 << 2 << 2 << "p3.jpg";
    QTest::newRow("first of five") << 5 << 0 << 0 << "p1.jpg";
}

void TPictureListTest::deletes() {
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(int, newSelected);
    QFETCH(QString, newSelectedFile);
    TPictureList list;
    list.Insert(Files("p", count));
    list.Select(selected);
    list.DeleteSelected();
    QCOMPARE(list.Count(), count - 1);
    QCOMPARE(list.Selected(), newSelected);
    QCOMPARE(QString::fromStdString(list.SelectedFile()), newSelectedFile);
}

void TPictureListTest::deleteWithoutSelectionDoesNothing() {
    TPictureList list;
    list.Insert(Files("p", 3));
    list.Select(-1);
    list.DeleteSelected();
    QCOMPARE(list.Count(), 3);
    list.Select(3);  // beyond the end: no selection
    QCOMPARE(list.Selected(), -1);
}

QTEST_MAIN(TPictureListTest)
#include "PictureListTest.moc"
