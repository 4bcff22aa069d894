#include "desktop/ProgramModule.h"
#include "desktop/network/HttpGet.h"
#include "support/ImageFixtures.h"
#include "support/LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(HttpGet, TheModuleIsFoundInTheFirstFolderThatHoldsItAndItsAbsenceIsExplained) {
    QTemporaryDir empty, broken;
    ASSERT_TRUE(empty.isValid() && broken.isValid());
    const QString built = QStringLiteral(FENNIC_MODULE_DIR);

    const auto load = [](const QStringList& folders) {
        return programmodule::open(folders, httpmodule::fileName, httpmodule::startSymbol,
                                   QStringLiteral("network"));
    };
    const programmodule::Entry missing = load({empty.path()});
    EXPECT_EQ(missing.address, nullptr);
    EXPECT_TRUE(missing.error.contains("not installed")) << missing.error.toStdString();
    EXPECT_TRUE(missing.error.contains(empty.path())) << missing.error.toStdString();

    EXPECT_NE(load({empty.path(), built}).address, nullptr);

    // A file of that name that is no library: the reason, and no module.
    ASSERT_TRUE(ImageFixtures::writeFile(broken.filePath(httpmodule::fileName), "not a library"));
    const programmodule::Entry damaged = load({broken.path(), built});
    EXPECT_EQ(damaged.address, nullptr);
    EXPECT_FALSE(damaged.error.isEmpty());

    // The chosen folder first, then the program's own and its installed layout.
    const QStringList folders = programmodule::folders();
    ASSERT_EQ(folders.size(), 3);
    EXPECT_EQ(folders[0], qEnvironmentVariable("FENNIC_MODULE_DIR"));
    EXPECT_EQ(folders[1], QCoreApplication::applicationDirPath());
    EXPECT_TRUE(folders[2].endsWith("/lib/fennic")) << folders[2].toStdString();
}

TEST(HttpGet, AnAnswerComesOnceAndNeverToAnOwnerThatWentAway) {
    LoopbackHttpServer server("hello");
    ASSERT_TRUE(server.listen());
    HttpRequest request;
    request.url = server.url("/a");
    request.userAgent = "Fennic/test";
    request.maximumBytes = 3;

    QObject owner;
    QList<HttpAnswer> answers;
    startHttpGet(request, &owner, [&](const HttpAnswer& answer) { answers << answer; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.isEmpty(); }, 10000));
    QTest::qWait(50);
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0].status, 200);
    EXPECT_TRUE(answers[0].tooLarge); // five bytes against three allowed
    EXPECT_TRUE(answers[0].body.isEmpty());
    EXPECT_TRUE(owner.children().isEmpty()); // the transfer went with its answer

    server.setSilent(true);
    request.timeoutMs = 200;
    bool called = false;
    {
        QObject leaving;
        startHttpGet(request, &leaving, [&](const HttpAnswer&) { called = true; });
        QTest::qWait(100);
    }
    QList<HttpAnswer> late;
    startHttpGet(request, &owner, [&](const HttpAnswer& answer) { late << answer; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !late.isEmpty(); }, 10000));
    EXPECT_TRUE(late[0].timedOut);
    EXPECT_FALSE(called);
}
