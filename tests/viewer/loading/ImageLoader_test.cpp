#include "viewer/loading/ImageLoader.h"

#include "FakeDecoder.h"

#include <gtest/gtest.h>

// Each case plays its steps (see LoaderRig::play) on a loader whose scheduler
// has the given workers and, with previews, reads embedded previews; then
// what the window was shown, what was decoded and which previews were read.
TEST(ImageLoader, ShowsTheAskedImageFirstThenPrefetchesPreviewsTheStartUpDecode) {
    const struct {
        const char* name;
        int threads;
        bool previews;
        const char* steps;
        const char* shown;
        const char* decodes;
        const char* previewsRead;
    } cases[] = {
        {"windows share decodes: the asked image first, each once, a raised one behind it, "
         "zooming ahead of neighbours",
         1, false, "hold; show r b c; show d b c; B show c b; zoom d; run", "d B:c d@full",
         "r d c d@full b", ""},
        {"a window withdraws what it left but not what another wants", 1, false,
         "hold; show r stale shared; B show o shared; show n kept; run", "B:o n",
         "r o n shared kept", ""},
        {"a closed window's decodes go", 1, false, "hold; show r; B show o p; B close; run", "r",
         "r", ""},
        {"neighbours follow the image, answer at once, and go when no longer neighbours", 2, false,
         "show 2 3 1; run; show 3 4 2; run; show 1; run; show+ 1; run", "2 3= 1 1",
         "2 3 1 4 1 1@200x150", ""},
        {"quick steps drop stale decodes and never show old results", 1, false,
         "hold; show x a b; show y z; show c x d; run; show x; hold; show p; show q r; show s q; "
         "run",
         "c x= s", "x c d p s q", ""},
        {"the zoom image comes for the current file only, and is kept", 1, false,
         "show big; run; hold; zoom big; show fine; run; zoom fine; run; zoom fine",
         "big fine fine@full fine@full=", "big big@full fine fine@full", ""},
        {"the preview first, never cached; none for neighbours, cached steps, files without", 2,
         true,
         "hold; show phone.heic next.heic; wait; show phone.heic next.heic; run; show next.heic; "
         "show a.jpg; "
         "run",
         "phone.heic~ phone.heic next.heic= a.jpg", "phone.heic next.heic a.jpg",
         "phone.heic a.jpg"},
        {"a preview later than the image is dropped; none for a larger window", 2, true,
         "hold previews; show a.heic; wait; run; show+ a.heic; run", "a.heic a.heic",
         "a.heic a.heic@200x150", "a.heic"},
        {"a file left shows no preview: read late, or never read while waiting", 1, true,
         "hold previews; show a.heic; show c.heic; show d.heic; run", "d.heic~ d.heic", "d.heic",
         "a.heic d.heic"},
        {"the finished start-up decode is the first window's image", 2, false,
         "early; show first; run", "first=", "first@160x120", ""},
        {"a running one is awaited, across a step away and back", 2, false,
         "hold; early; show first; show second first; show first second; run", "first",
         "first@160x120 second", ""},
        {"another file decodes for itself", 2, false, "early; show second; run", "second",
         "first@160x120 second", ""},
        {"so does a larger window", 2, false, "early; show+ first; run", "first",
         "first@160x120 first@200x150", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderRig rig(c.threads, c.previews);
        rig.play(c.steps);
        EXPECT_EQ(rig.shown.join(' ').toStdString(), c.shown);
        EXPECT_EQ(rig.fake.calls().join(' ').toStdString(), c.decodes);
        EXPECT_EQ(rig.fake.calls(FakeDecoder::Preview).join(' ').toStdString(), c.previewsRead);
    }
}

TEST(ImageLoader, DeliversTheDecodersErrorsAndKeepsThemForNeighbours) {
    LoaderRig rig;
    rig.play("show broken crash; run; show crash");
    EXPECT_EQ(rig.shown.join(", ").toStdString(),
              "broken (Not an image), crash (The image could not be decoded (broken decoder).)=");
}
