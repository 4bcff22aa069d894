#include "desktop/apps/MimeAppsList.h"

#include <gtest/gtest.h>

using namespace MimeAppsList;

namespace {

const QByteArray ours = "org.fennic.Fennic.desktop";

TEST(MimeAppsListTest, AddsTheGroupOrTheKeyAndKeepsEveryOtherLine) {
    // A new file gets the group.
    EXPECT_EQ(withDefaultHandler("", "image/png", ours),
              "[Default Applications]\nimage/png=org.fennic.Fennic.desktop;\n");

    // Other groups, comments, odd spacing and a commented-out entry stay as
    // they are; the new key joins the end of the group, not the next group.
    const QByteArray file = "# my associations\n"
                            "[Added Associations]\n"
                            "image/png=gimp.desktop;\n"
                            "\n"
                            "[Default Applications]\n"
                            "#image/png=old.desktop;\n"
                            "text/plain = gedit.desktop;\n"
                            "\n"
                            "[Removed Associations]\n"
                            "image/png=eog.desktop;\n";
    EXPECT_EQ(withDefaultHandler(file, "image/png", ours), "# my associations\n"
                                                           "[Added Associations]\n"
                                                           "image/png=gimp.desktop;\n"
                                                           "\n"
                                                           "[Default Applications]\n"
                                                           "#image/png=old.desktop;\n"
                                                           "text/plain = gedit.desktop;\n"
                                                           "image/png=org.fennic.Fennic.desktop;\n"
                                                           "\n"
                                                           "[Removed Associations]\n"
                                                           "image/png=eog.desktop;\n");

    // A file without the group and without a final newline gets both, after
    // a blank line.
    EXPECT_EQ(
        withDefaultHandler("[Added Associations]\nimage/png=gimp.desktop;", "image/png", ours),
        "[Added Associations]\nimage/png=gimp.desktop;\n\n"
        "[Default Applications]\nimage/png=org.fennic.Fennic.desktop;\n");

    // The group as the last line, without a newline.
    EXPECT_EQ(withDefaultHandler("[Default Applications]", "image/bmp", ours),
              "[Default Applications]\nimage/bmp=org.fennic.Fennic.desktop;\n");
}

TEST(MimeAppsListTest, PutsUsFirstKeepsOtherHandlersAndMergesRepeatedKeys) {
    // Earlier handlers stay behind ours, in their order; ours is not doubled.
    EXPECT_EQ(withDefaultHandler("[Default Applications]\n"
                                 "image/jpeg=eog.desktop;org.fennic.Fennic.desktop;gimp.desktop\n"
                                 "image/png=eog.desktop;\n",
                                 "image/jpeg", ours),
              "[Default Applications]\n"
              "image/jpeg=org.fennic.Fennic.desktop;eog.desktop;gimp.desktop;\n"
              "image/png=eog.desktop;\n");

    // Already first: the line keeps its own spelling, the file is unchanged.
    const QByteArray done = "[Default Applications]\nimage/jpeg = org.fennic.Fennic.desktop\n";
    EXPECT_EQ(withDefaultHandler(done, "image/jpeg", ours), done);

    // A key given twice (some readers take the first, some the last) becomes
    // one entry holding both lists.
    EXPECT_EQ(withDefaultHandler("[Default Applications]\n"
                                 "image/jpeg=a.desktop;\n"
                                 "image/png=eog.desktop;\n"
                                 "image/jpeg=b.desktop;a.desktop;",
                                 "image/jpeg", ours),
              "[Default Applications]\n"
              "image/jpeg=org.fennic.Fennic.desktop;a.desktop;b.desktop;\n"
              "image/png=eog.desktop;");
    EXPECT_EQ(defaultHandlers("[Default Applications]\nimage/jpeg=a.desktop;\n"
                              "[Default Applications]\nimage/jpeg=b.desktop;;a.desktop\n",
                              "image/jpeg"),
              QList<QByteArray>({"a.desktop", "b.desktop"}));

    // The same type in another group is another matter.
    EXPECT_TRUE(
        defaultHandlers("[Added Associations]\nimage/jpeg=a.desktop;\n", "image/jpeg").isEmpty());
    // A longer type with the same beginning is not this type.
    EXPECT_EQ(
        withDefaultHandler("[Default Applications]\nimage/jpeg2=a.desktop;\n", "image/jpeg", ours),
        "[Default Applications]\nimage/jpeg2=a.desktop;\n"
        "image/jpeg=org.fennic.Fennic.desktop;\n");
}

TEST(MimeAppsListTest, KeepsCrlfLineEnds) {
    EXPECT_EQ(withDefaultHandler("[Default Applications]\r\ntext/plain=gedit.desktop;\r\n",
                                 "image/png", ours),
              "[Default Applications]\r\ntext/plain=gedit.desktop;\r\n"
              "image/png=org.fennic.Fennic.desktop;\r\n");
    EXPECT_EQ(withDefaultHandler("[Default Applications]\r\nimage/png=eog.desktop;\r\n",
                                 "image/png", ours),
              "[Default Applications]\r\nimage/png=org.fennic.Fennic.desktop;eog.desktop;\r\n");
    EXPECT_EQ(withoutDefaultHandler(
                  "[Default Applications]\r\nimage/png=org.fennic.Fennic.desktop;\r\nx=y;\r\n",
                  "image/png", ours),
              "[Default Applications]\r\nx=y;\r\n");
}

TEST(MimeAppsListTest, RemovesOnlyUsAndDropsAnEntryLeftEmpty) {
    EXPECT_EQ(withoutDefaultHandler("[Default Applications]\n"
                                    "image/png=org.fennic.Fennic.desktop;eog.desktop;\n"
                                    "image/jpeg=org.fennic.Fennic.desktop;\n"
                                    "[Added Associations]\n"
                                    "image/jpeg=org.fennic.Fennic.desktop;\n",
                                    "image/jpeg", ours),
              "[Default Applications]\n"
              "image/png=org.fennic.Fennic.desktop;eog.desktop;\n"
              "[Added Associations]\n"
              "image/jpeg=org.fennic.Fennic.desktop;\n");
    EXPECT_EQ(withoutDefaultHandler("[Default Applications]\n"
                                    "image/png=org.fennic.Fennic.desktop;eog.desktop;\n",
                                    "image/png", ours),
              "[Default Applications]\nimage/png=eog.desktop;\n");
    // Every repeat of the key loses us; the last line keeps having no newline.
    EXPECT_EQ(withoutDefaultHandler("[Default Applications]\n"
                                    "image/png=org.fennic.Fennic.desktop;\n"
                                    "image/bmp=eog.desktop;\n"
                                    "image/png=org.fennic.Fennic.desktop",
                                    "image/png", ours),
              "[Default Applications]\nimage/bmp=eog.desktop;");
    // Nothing of ours: the very same bytes, odd spacing and all.
    const QByteArray theirs = "[Default Applications]\nimage/png = eog.desktop ; \n# note\n";
    EXPECT_EQ(withoutDefaultHandler(theirs, "image/png", ours), theirs);
    EXPECT_EQ(withoutDefaultHandler("", "image/png", ours), "");
}

} // namespace
