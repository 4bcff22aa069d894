#include "desktop/apps/MimeAppsList.h"

#include <gtest/gtest.h>

using namespace MimeAppsList;

namespace {

// "[D]" stands for the group's name, "@" for our ID.
QByteArray expand(const char* text) {
    return QByteArray(text)
        .replace("[D]", "[Default Applications]")
        .replace("@", "org.fennic.Fennic.desktop");
}

TEST(MimeAppsListTest, OnlyTheTypesKeyChangesWithUsFirstAndTheOthersKeptAfter) {
    struct Edit {
        bool add; // else taken out
        const char *before, *after;
    };
    const Edit edits[] = {
        {true, "", "[D]\nimage/png=@;\n"},
        // Comments, spacing and other groups stay; the key ends our group.
        {true, "# mine\n[Added Associations]\nimage/png=a;\n\n[D]\n#image/png=b;\nx = y;\n\n[R]\n",
         "# mine\n[Added Associations]\nimage/png=a;\n\n[D]\n#image/png=b;\nx = "
         "y;\nimage/png=@;\n\n[R]\n"},
        {true, "[Added Associations]\nimage/png=a;",
         "[Added Associations]\nimage/png=a;\n\n[D]\nimage/png=@;\n"},
        {true, "[D]", "[D]\nimage/png=@;\n"},
        {true, "[D]\nimage/png=a;@;b\nx=y;\n", "[D]\nimage/png=@;a;b;\nx=y;\n"},
        {true, "[D]\nimage/png = @", "[D]\nimage/png = @"},
        // A repeated key (first or last wins, by reader) becomes one entry.
        {true, "[D]\nimage/png=a;\nx=y;\nimage/png=b;a;", "[D]\nimage/png=@;a;b;\nx=y;"},
        {true, "[D]\nimage/png2=a;\n", "[D]\nimage/png2=a;\nimage/png=@;\n"},
        {true, "[D]\r\nx=y;\r\n", "[D]\r\nx=y;\r\nimage/png=@;\r\n"},
        {false, "[D]\r\nimage/png=@;\r\nx=y;\r\n", "[D]\r\nx=y;\r\n"},
        {false, "[D]\nimage/png=@;a;\n[A]\nimage/png=@;\n",
         "[D]\nimage/png=a;\n[A]\nimage/png=@;\n"},
        {false, "[D]\nimage/png=@;\nx=y;\nimage/png=@", "[D]\nx=y;"},
        {false, "[D]\nimage/png = a ; \nimage/png=b\n", "[D]\nimage/png = a ; \nimage/png=b\n"},
        {false, "", ""},
    };
    for (const Edit& edit : edits) {
        const QByteArray before = expand(edit.before), type = "image/png", id = expand("@");
        EXPECT_EQ(edit.add ? withDefaultHandler(before, type, id)
                           : withoutDefaultHandler(before, type, id),
                  expand(edit.after))
            << edit.before;
    }
    EXPECT_EQ(defaultHandlers(expand("[D]\nimage/png=a;\n[A]\nimage/png=c;\n[D]\nimage/png=b;;a\n"),
                              "image/png"),
              QList<QByteArray>({"a", "b"}));
}

} // namespace
