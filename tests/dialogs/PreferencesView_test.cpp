#include "desktop/apps/DefaultApplication.h"
#include "desktop/apps/MimeAppsList.h"
#include "dialogs/PreferencesView.h"
#include "dialogs/VisualStyleOption.h"
#include "support/ImageFixtures.h"
#include "support/ViewerFixture.h"

#include <QCheckBox>
#include <QFile>
#include <QTest>
#include <tuple>

namespace LSW = DefaultApplication;

namespace {

// Counts the requests to redraw the viewers.
class CountingDelegate : public AppDelegate {
public:
    using AppDelegate::AppDelegate;
    void refreshAllViewers() override {
        ++refreshes;
        AppDelegate::refreshAllViewers();
    }
    int refreshes = 0;
};

class PreferencesViewTest : public ViewerFixture {
protected:
    // mimeapps.list is the test main's: each test runs in a process of its own.
    void SetUp() override {
        ViewerFixture::SetUp();
        delegate = std::make_unique<CountingDelegate>(store.get());
    }
    CountingDelegate& counting() { return static_cast<CountingDelegate&>(app()); }
    QList<QByteArray> handlers(const QString& extension) const {
        return MimeAppsList::defaultHandlers(ImageFixtures::readFile(LSW::mimeAppsListPath()),
                                             LSW::contentType(extension).toUtf8());
    }
    bool ours(const QString& extension) const {
        return handlers(extension) == QList<QByteArray>({LSW::desktopFileId});
    }
    bool stored(const char* key) const { return store->value(key).toString() == "true"; }
};

TEST_F(PreferencesViewTest, CheckboxesShowWhatTheDesktopDoesAndTheUsersClicksRegister) {
    // image/heif is left to another program, bmp is ours though its stored
    // choice says no: the boxes and the settings take the desktop's word.
    for (const char* extension : {"png", "dng", "arw", "jpeg", "bmp"})
        ASSERT_TRUE(LSW::setDefaultApplication(extension));
    makeSetting(AppSettings::bmpChoose, store.get()) = false;

    PreferencesView view(app());
    for (const auto& row : view.defaultsRows())
        EXPECT_EQ(row.checkbox->isChecked(), !row.label.startsWith("HEI"))
            << row.label.toStdString();
    EXPECT_TRUE(stored("bmpChoose"));
    EXPECT_FALSE(stored("heicChoose") || stored("heifChoose"));

    // Boxes sharing a setting (DNG, ARW) or a type (JPG, JPEG: image/jpeg;
    // HEIF, HEIC: image/heif) change together, and every type they name:
    // the raw boxes stand for every camera's raw files.
    const QStringList otherRaws{"nef", "cr3", "orf", "raf", "rw2", "x3f", "crw"};
    for (const auto& [clicked, other, key, alsoChanged] :
         {std::tuple{"ARW", "DNG", "dngChoose", otherRaws},
          {"JPG", "JPEG", "jpegChoose", QStringList()},
          {"HEIC", "HEIF", "heifChoose", QStringList()}}) {
        for (int click = 0; click < 2; ++click) {
            const bool checked = !view.checkbox(clicked)->isChecked();
            view.checkbox(clicked)->click();
            EXPECT_EQ(view.checkbox(other)->isChecked(), checked) << clicked;
            EXPECT_EQ(stored(key), checked) << key;
            EXPECT_EQ(ours(clicked) && ours(other), checked) << clicked;
            EXPECT_EQ(handlers(clicked).isEmpty() && handlers(other).isEmpty(), !checked);
            for (const QString& extension : alsoChanged)
                EXPECT_EQ(ours(extension), checked) << extension.toStdString();
        }
    }

    // Unticking gives the type back and stores.
    view.checkbox("BMP")->click();
    EXPECT_EQ(store->value("bmpChoose").toString(), "false");
    EXPECT_TRUE(handlers("bmp").isEmpty());

    // A change made elsewhere shows at once and registers nothing.
    makeSetting(AppSettings::jpgChoose, store.get()) = false;
    EXPECT_FALSE(view.checkbox("JPG")->isChecked());
    makeSetting(AppSettings::bmpChoose, store.get()) = true;
    EXPECT_TRUE(view.checkbox("BMP")->isChecked());
    EXPECT_TRUE(handlers("bmp").isEmpty());

    // A refused release keeps the user's choice: not ticked, not stored.
    view.checkbox("HEIC")->click();
    ASSERT_TRUE(QFile::remove(LSW::mimeAppsListPath()) && QDir().mkpath(LSW::mimeAppsListPath()));
    view.checkbox("HEIC")->click();
    EXPECT_FALSE(view.checkbox("HEIC")->isChecked());
    EXPECT_EQ(store->value("heicChoose").toString(), "false");
}

// Tapping a style, the setting stored and every viewer changing at once are
// read in the end-to-end auxiliary windows test.
TEST_F(PreferencesViewTest,
       TheChosenStyleTappedAgainIsAskedForAgainAndOutsideChangesShowOnReopening) {
    PreferencesView view(app());
    view.show();
    EXPECT_TRUE(view.option(VISUALSTYLE::FRAME)->isChecked());
    QTest::mouseClick(view.option(VISUALSTYLE::FRAMELESS), Qt::LeftButton);
    EXPECT_TRUE(view.option(VISUALSTYLE::FRAMELESS)->isChecked());
    EXPECT_FALSE(view.option(VISUALSTYLE::FRAME)->isChecked());
    store->remove("visualStyleAsFrame");
    QTest::mouseClick(view.option(VISUALSTYLE::FRAMELESS), Qt::LeftButton);
    EXPECT_EQ(store->value("visualStyleAsFrame").toString(), "false");
    EXPECT_EQ(counting().refreshes, 2);

    makeSetting(AppSettings::visualStyleAsFrame, store.get()) = true;
    EXPECT_TRUE(view.option(VISUALSTYLE::FRAMELESS)->isChecked());
    view.hide();
    view.show();
    EXPECT_TRUE(view.option(VISUALSTYLE::FRAME)->isChecked());
    EXPECT_EQ(view.visualStyle, VISUALSTYLE::FRAME);
}

} // namespace
