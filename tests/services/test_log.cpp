#include "URessources.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStyle>
#include <QTime>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

class AddLogLineTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!qApp) {
            static int argc = 1;
            static char name[] = "test_services";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        list = std::make_unique<QTreeWidget>();
        list->setObjectName(QStringLiteral("ListView1"));
        list->setColumnCount(2);
        SetLogListView(list.get());
    }

    void TearDown() override { SetLogListView(nullptr); }

    static bool SameIcon(const QIcon &a, const QIcon &b)
    {
        return a.pixmap(16, 16).toImage() == b.pixmap(16, 16).toImage();
    }

    std::unique_ptr<QTreeWidget> list;
};

} // namespace

TEST_F(AddLogLineTest, KindsGiveTheirIcons)
{
    const struct {
        int kind;
        int index;
        QStyle::StandardPixmap icon;
    } cases[] = {
        {0, 0, QStyle::SP_MessageBoxInformation},
        {1, 1, QStyle::SP_MessageBoxCritical},
        {2, 3, QStyle::SP_MessageBoxWarning},
        {3, 3, QStyle::SP_MessageBoxWarning},
        {-1, 3, QStyle::SP_MessageBoxWarning},
        {42, 3, QStyle::SP_MessageBoxWarning},
    };
    for (const auto &c : cases) {
        QTreeWidgetItem *row = AddLogLine(QStringLiteral("kind"), c.kind);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->data(0, LogImageIndexRole).toInt(), c.index) << c.kind;
        EXPECT_TRUE(SameIcon(row->icon(0), QApplication::style()->standardIcon(c.icon))) << c.kind;
    }
    // The three icons are told apart.
    EXPECT_FALSE(SameIcon(LogIcon(0), LogIcon(1)));
    EXPECT_FALSE(SameIcon(LogIcon(1), LogIcon(3)));
    EXPECT_FALSE(SameIcon(LogIcon(0), LogIcon(3)));
    EXPECT_TRUE(LogIcon(2).isNull());
    EXPECT_EQ(list->topLevelItemCount(), 6);
}

TEST_F(AddLogLineTest, RowTextIsTimeAndMessage)
{
    const QTime before = QTime::currentTime();
    AddLogLine(QStringLiteral("Kandrum.exe found — ok"), 0);
    AddLogLine(QString(), 1);
    const QTime after = QTime::currentTime();

    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QTreeWidgetItem *row = list->topLevelItem(0);
    EXPECT_EQ(row->text(0), QString());
    const QString text = row->text(1);
    const QRegularExpression form(QStringLiteral("^\\[(\\d\\d:\\d\\d:\\d\\d)\\] :  Kandrum\\.exe found — ok$"));
    const QRegularExpressionMatch match = form.match(text);
    ASSERT_TRUE(match.hasMatch()) << text.toStdString();
    const QTime stamp = QTime::fromString(match.captured(1), QStringLiteral("hh:mm:ss"));
    ASSERT_TRUE(stamp.isValid());
    // Within the second range of the call (a midnight in between aside).
    if (before <= after) {
        EXPECT_GE(stamp, QTime(before.hour(), before.minute(), before.second()));
        EXPECT_LE(stamp, after);
    }
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\] :  $"))
                    .match(list->topLevelItem(1)->text(1))
                    .hasMatch());
}

TEST_F(AddLogLineTest, NothingHappensWithoutAList)
{
    SetLogListView(nullptr);
    EXPECT_EQ(AddLogLine(QStringLiteral("lost"), 0), nullptr);
    EXPECT_EQ(list->topLevelItemCount(), 0);

    // A registered list that is destroyed is forgotten.
    SetLogListView(list.get());
    list.reset();
    EXPECT_EQ(LogListView(), nullptr);
    EXPECT_EQ(AddLogLine(QStringLiteral("lost"), 1), nullptr);
}

TEST_F(AddLogLineTest, RowsFromAnotherThreadArriveOnTheListsThread)
{
    std::thread worker([] { EXPECT_EQ(AddLogLine(QStringLiteral("from the worker"), 1), nullptr); });
    worker.join();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_TRUE(list->topLevelItem(0)->text(1).endsWith(QStringLiteral("] :  from the worker")));
    EXPECT_EQ(list->topLevelItem(0)->data(0, LogImageIndexRole).toInt(), 1);
}
