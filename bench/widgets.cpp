// Widget tree speed: 10,000 mouse moves dispatched over a tree of 200 widgets, and DrawScreen of
// a 1024 x 768 memory image with 50 dirty buttons. Each has a reference beside it: the moves
// beside a plain topmost-first scan of the same 200 rectangles, and the screen beside the same
// 50 buttons drawn straight through one drawing context without the tree.
#include <benchmark/benchmark.h>

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "widgets/ButtonListener.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <memory>
#include <vector>

using namespace Quor;

namespace {

constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;
constexpr int kMoves = 10000;

// A screen holding 199 buttons of 48 x 60 in a 20-column grid: 200 widgets under the manager.
struct MouseTree {
    WidgetManager manager{nullptr};
    Widget screen;
    ButtonListener listener;
    std::vector<std::unique_ptr<ButtonWidget>> buttons;
    std::vector<std::pair<int, int>> path;

    MouseTree()
    {
        manager.SetMouseMapping(Rect(0, 0, kScreenW, kScreenH), Rect(0, 0, kScreenW, kScreenH));
        screen.Resize(0, 0, kScreenW, kScreenH);
        manager.AddWidget(&screen);
        for (int i = 0; i < 199; ++i) {
            auto button = std::make_unique<ButtonWidget>(i, &listener);
            button->Resize(2 + (i % 20) * 51, 2 + (i / 20) * 64, 48, 60);
            screen.AddWidget(button.get());
            buttons.push_back(std::move(button));
        }
        // A sweeping path: across the grid row by row, in steps of 7 and 5 pixels.
        for (int i = 0; i < kMoves; ++i)
            path.emplace_back((i * 7) % kScreenW, (i / (kScreenW / 7) * 5) % (64 * 10));
    }
    ~MouseTree()
    {
        screen.RemoveAllWidgets();
        manager.RemoveAllWidgets();
    }
};

void BM_MouseMoves_tree(benchmark::State& state)
{
    MouseTree tree;
    for (auto _ : state) {
        for (const auto& [x, y] : tree.path)
            tree.manager.MouseMove(x, y);
        benchmark::DoNotOptimize(tree.manager.mOverWidget);
    }
    state.SetItemsProcessed(state.iterations() * kMoves);
}
BENCHMARK(BM_MouseMoves_tree)->Unit(benchmark::kMicrosecond);

// The least any dispatcher must do: find the topmost of the 200 rectangles under each point.
void BM_MouseMoves_rectScanReference(benchmark::State& state)
{
    MouseTree tree;
    std::vector<Rect> rects;
    rects.push_back(tree.screen.GetRect());
    for (const auto& button : tree.buttons)
        rects.push_back(button->GetRect());
    for (auto _ : state) {
        int hits = 0;
        for (const auto& [x, y] : tree.path) {
            for (auto it = rects.rbegin(); it != rects.rend(); ++it)
                if (it->Contains(x, y)) {
                    hits += static_cast<int>(it - rects.rbegin());
                    break;
                }
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * kMoves);
}
BENCHMARK(BM_MouseMoves_rectScanReference)->Unit(benchmark::kMicrosecond);

// A 1024 x 768 screen image and a screen with 50 framed buttons of 120 x 40.
struct DrawFixture {
    QuorAppBase app;
    MemoryImage image{&app};
    WidgetManager manager{&app};
    Widget screen;
    ButtonListener listener;
    std::vector<std::unique_ptr<ButtonWidget>> buttons;

    DrawFixture()
    {
        image.Create(kScreenW, kScreenH);
        manager.mImage = &image;
        manager.SetMouseMapping(Rect(0, 0, kScreenW, kScreenH), Rect(0, 0, kScreenW, kScreenH));
        screen.Resize(0, 0, kScreenW, kScreenH);
        manager.AddWidget(&screen);
        for (int i = 0; i < 50; ++i) {
            auto button = std::make_unique<ButtonWidget>(i, &listener);
            button->Resize(10 + (i % 8) * 125, 10 + (i / 8) * 50, 120, 40);
            button->mIsOver = (i % 3) == 0; // a mix of looks
            button->mIsDown = (i % 6) == 0;
            screen.AddWidget(button.get());
            buttons.push_back(std::move(button));
        }
    }
    ~DrawFixture()
    {
        screen.RemoveAllWidgets();
        manager.RemoveAllWidgets();
    }
};

void BM_DrawScreen50Buttons_tree(benchmark::State& state)
{
    DrawFixture f;
    for (auto _ : state) {
        for (const auto& button : f.buttons)
            button->SetDirty();
        benchmark::DoNotOptimize(f.manager.DrawScreen());
    }
}
BENCHMARK(BM_DrawScreen50Buttons_tree)->Unit(benchmark::kMicrosecond);

void BM_DrawScreen50Buttons_directReference(benchmark::State& state)
{
    DrawFixture f;
    for (auto _ : state) {
        Graphics g(&f.image);
        for (const auto& button : f.buttons) {
            Graphics buttonG(g);
            buttonG.Translate(button->mX, button->mY);
            buttonG.ClipRect(0, 0, button->mWidth, button->mHeight);
            button->Draw(&buttonG);
        }
        benchmark::DoNotOptimize(f.image.GetBits());
    }
}
BENCHMARK(BM_DrawScreen50Buttons_directReference)->Unit(benchmark::kMicrosecond);

} // namespace
