// The scenery of the eight countries, one row per object in the order they are added (within a
// layer, the order they are drawn in).
#include "game/world/CountryScene.h"

#include "game/shell/ResourceBinding.h"

#include <iterator>

namespace Quor {

namespace {

using Row = CountryScene::Row;
using Cue = CountryScene::Cue;
using Light = CountryScene::Light;
using Script = CountryScene::Script;
constexpr auto BACK = CountryScene::BACK;
constexpr auto FRONT = CountryScene::FRONT;
constexpr auto CYCLE = CountryScene::CYCLE;
constexpr auto FRAME_DELAY = CountryScene::FRAME_DELAY;
constexpr auto FLAP = CountryScene::FLAP;
constexpr auto OFFSET = CountryScene::OFFSET;
constexpr auto HALF_CYCLE = CountryScene::HALF_CYCLE;
constexpr auto RANDOM_OFFSET = CountryScene::RANDOM_OFFSET;
constexpr auto DATA_ENTRY = CountryScene::DATA_ENTRY;

constexpr uint32_t kDayLight = 0x80FFFFE6u;   // 255, 255, 230 at alpha 128
constexpr uint32_t kCityLight = 0x80FFE6D2u;  // 255, 230, 210 at alpha 128
constexpr uint32_t kDust = 0x80F0DCC8u;       // 240, 220, 200 at alpha 128
constexpr int kFlyingBird = 101;  // the effect definition of a bird crossing the sky

// The three birds that beat their wings in England and Germany.
#define FLAPPING_BIRDS                                                                                              \
    Row{.layer = FRONT, .image = &FX_C_BIRD2, .x = 200, .y = 100, .cels = FLAP, .scale = 0.6,                      \
        .tracks = "flap; x 0:-100 14:800 14:-100 22:-100; y 0:200 7:40 14:160 22:160"},                             \
        Row{.layer = FRONT, .image = &FX_C_BIRD2, .x = 200, .y = 100, .cels = FLAP, .mirrored = true,               \
            .tracks = "flap; x 0:-100 8:-100 8:800 18:-100; y 0:370 8:370 15:450 18:340"},                          \
        Row{.layer = FRONT, .image = &FX_C_BIRD2, .x = 200, .y = 100, .cels = FLAP, .scale = 0.7, .mirrored = true, \
            .tracks = "flap; x 0:1024 4:1024 16:350 16:1024 20:1024; y 0:300 4:300 9:260 16:310 20:310"}

// The two light beams sweeping over a scene in a tint.
#define LIGHT_BEAMS(tint)                                                                                  \
    Row{.image = &FX_C_LIGHT, .x = 1024, .y = 0, .colour = tint, .tracks = "x 0:0 4:-100 8:0"},           \
        Row{.image = &FX_C_LIGHT2, .x = 1024, .y = -50, .colour = tint, .tracks = "x 0:100 5:200 9:100"}

const Cue kBirdCues[] = {{&SE_ENV_BIRD, 4.0, true, 1.5}};

const Row kEngland[] = {
    LIGHT_BEAMS(kDayLight),
    {.image = &FX_C_BIRD, .x = 1024, .y = 45, .cels = OFFSET,
     .tracks = "x 0:1024 45:400 45:1024 60:1024; scale 0:0.8 30:0.8 35:0.5 45:0 60:0"},
    {.image = &GC0_BOAT, .x = 1024, .y = 0, .tracks = "x 0:-114 10:-114 20:257; y 0:428 10:428 20:222; scale 0:1 10:1 20:0.7"},
    {.image = &FX_C_SMOKE, .x = 142, .y = 325, .cels = OFFSET},
    FLAPPING_BIRDS,
    {.image = &FX_C_PPL1, .cels = OFFSET,
     .tracks = "x 0:1024 8:1024 8:526 18:498 53:362 53:1024 55:1024; y 0:768 8:768 8:395 18:413 53:420 53:768 55:768"},
    {.image = &FX_C_PPL2, .cels = OFFSET, .tracks = "x 0:642 10:640 37:580 37:1024 45:1024; y 0:360 10:405 37:438 37:768 45:768"},
    {.image = &FX_C_PPL3, .cels = OFFSET, .mirrored = true,
     .tracks = "x 0:1024 11:1024 11:553 33:655 56:704 56:1024; y 0:768 11:768 11:336 33:375 56:435 56:768"},
    {.image = &FX_C_PPL1, .cels = OFFSET, .mirrored = true, .tracks = "x 0:631 4:688 8:700 14:638 22:631; y 0:391 4:402 8:443 14:413 22:391"},
    {.image = &FX_C_PPL2, .cels = OFFSET, .mirrored = true,
     .tracks = "x 0:608 2:652 5:664 8:708 10:684 19:566 22:608; y 0:392 2:383 5:407 8:435 10:451 19:398 22:392"},
    {.image = &FX_C_PPL3, .cels = OFFSET, .mirrored = true,
     .tracks = "x 0:615 5:658 12:767 16:748 21:686 25:666 30:615; y 0:423 5:396 12:373 16:408 21:411 25:430 30:423"},
    {.image = &FX_C_PPL2, .cels = OFFSET, .mirrored = true,
     .tracks = "x 0:698 2:658 8:722 14:648 18:649 25:698; y 0:386 2:383 8:427 14:405 18:381 25:386"},
    {.image = &FX_C_PPL3, .cels = OFFSET, .mirrored = true, .tracks = "x 0:623 3:615 5:624 9:647 11:623; y 0:381 3:393 5:384 9:383 11:381"},
};

const Row kGermany[] = {
    LIGHT_BEAMS(kDayLight),
    {.image = &FX_C_SMOKE, .x = 471, .y = 260, .cels = OFFSET},
    {.image = &FX_C_SMOKE, .x = 496, .y = 264, .cels = OFFSET},
    {.layer = FRONT, .image = &GC1_WATER, .x = 268, .y = 372, .cels = OFFSET},
    {.layer = FRONT, .image = &GC1_WATER, .x = 945, .y = 431, .cels = OFFSET},
    {.cels = DATA_ENTRY, .value = kFlyingBird},
    {.image = &FX_C_BIRD, .x = 0, .y = 50, .cels = OFFSET, .scale = 0.5, .tracks = "x 0:-100 10:-100 85:700; alpha 0:255 75:255 85:0"},
    {.image = &FX_C_BIRD, .x = 0, .y = 100, .cels = OFFSET, .scale = 0.5, .tracks = "x 0:800 75:100; alpha 0:255 50:255 67:0 75:0"},
    FLAPPING_BIRDS,
    {.image = &GC1_CAR,
     .tracks = "x 0:1024 5:842 8:712 9:679 13:570 20:570; y 0:351 5:328 8:348 9:348 13:315 20:315; alpha 0:255 13:255 15:0 20:0"},
    {.image = &FX_C_PPL2, .cels = OFFSET, .mirrored = true,
     .tracks = "x 0:388 10:453 18:456 23:456; y 0:297 10:279 18:251 23:251; alpha 0:255 16:255 18:0 23:0"},
    {.image = &FX_C_PPL1, .cels = OFFSET, .mirrored = true, .tracks = "x 0:431 10:433 25:575 30:575; y 0:283 10:318 25:337 30:337"},
    {.image = &FX_C_PPL2, .cels = OFFSET,
     .tracks = "x 0:570 10:477 20:433 25:433; y 0:330 10:325 20:328 25:328; alpha 0:255 18:255 20:0 25:0"},
    {.image = &FX_C_PPL2, .cels = OFFSET,
     .tracks = "x 0:139 10:104 17:95 21:95; y 0:538 10:560 17:591 21:591; alpha 0:255 15:255 17:0 21:0"},
};

// A flower swaying in two copies half a cycle apart.
#define FLOWER_PAIR(layer_, image_, x_, y_, n)                                     \
    Row{.layer = layer_, .image = &image_, .x = x_, .y = y_, .cels = OFFSET, .value = n}, \
        Row{.layer = layer_, .image = &image_, .x = x_, .y = y_, .cels = HALF_CYCLE, .value = n}

const Row kJapan[] = {
    {.image = &GC2_FLOWER, .x = -42, .y = 455, .cels = FRAME_DELAY, .tracks = "x 0:-42 3:500 5:500; alpha 0:255 2.5:255 3:0 5:0"},
    {.image = &GC2_FLOWER, .x = -42, .y = 495, .cels = FRAME_DELAY, .phase = 1,
     .tracks = "x 0:-42 3:500 5:500; alpha 0:255 2.5:255 3:0 5:0"},
    {.image = &FX_C_HORSE, .x = 394, .y = 100, .cels = FRAME_DELAY, .scale = 0.5},
    {.image = &FX_C_HORSE_L, .x = 481, .y = 75, .cels = FRAME_DELAY, .scale = 0.8},
    {.image = &FX_C_DOG, .cels = OFFSET, .scale = 0.7,
     .tracks = "x 0:1024 7:897 13:840 18:840; y 0:500 7:416 13:330 18:330; alpha 0:255 11:255 13:0 18:0"},
    {.image = &GC2_BIC, .cels = OFFSET, .tracks = "x 0:1021 7:784 13:583 18:447 22:447; y 0:513 7:378 13:288 18:251 22:251"},
    {.cels = DATA_ENTRY, .value = kFlyingBird},
    FLOWER_PAIR(FRONT, GC2_FLOWER, 0, 255, 0),
    FLOWER_PAIR(FRONT, GC2_FLOWER, 9, 484, 136),
    FLOWER_PAIR(FRONT, GC2_FLOWER, 234, 318, 218),
    FLOWER_PAIR(FRONT, GC2_FLOWER, 257, 466, 361),
    FLOWER_PAIR(FRONT, GC2_FLOWER, 0, 45, 426),
    FLOWER_PAIR(BACK, GC2_FLOWER, 907, 156, 533),
    FLOWER_PAIR(BACK, GC2_FLOWER, 687, 96, 533),
    FLOWER_PAIR(BACK, GC2_FLOWER, 832, 539, 644),
};

const Cue kIndiaCues[] = {{&SE_ENV_WIND, 3.0, true, 2.0}};

const Row kIndia[] = {
    {.image = &GC3_SNAKE, .x = 571, .y = 442, .cels = OFFSET},
    {.image = &GC3_SNAKE, .x = 168, .y = 417, .cels = OFFSET, .mirrored = true},
    {.layer = FRONT, .image = &GC3_CUP, .x = 344, .y = 500, .cels = CYCLE, .value = 1.5, .tracks = "sweep 0.06 8"},
    {.layer = FRONT, .image = &GC3_CUP, .x = 155, .y = 445, .cels = CYCLE, .value = 1.5, .scale = 0.7, .tracks = "sweep 0.06 8"},
    {.image = &GC3_CUP2, .x = 304, .y = 536, .cels = OFFSET, .tracks = "x 0:304 3:534 8:534; alpha 0:0 0.2:255 2.8:255 3:0 8:0"},
    {.layer = FRONT, .image = &GC3_LEAF2, .x = 322, .y = 429, .cels = CYCLE, .value = 1, .phase = 0.5, .celClock = 0.5,
     .tracks = "x 0:322 3:657 8:657; alpha 0:0 0.2:255 2.5:255 3:0 8:0"},
    {.layer = FRONT, .image = &GC3_LEAF2, .x = 252, .y = 364, .cels = CYCLE, .value = 1,
     .tracks = "x 0:252 3:587 8:587; alpha 0:0 0.2:255 2.5:255 3:0 8:0"},
    {.image = &GC3_LEAF, .x = 130, .y = 215, .tracks = "x 0:130 1.6:1024; y 0:215 0.4:180 1.2:250 1.6:215; rot 0:0 1.6:2"},
    {.image = &FX_C_BIRD, .x = 0, .y = 30, .cels = OFFSET, .scale = 0.4, .tracks = "x 0:-100 10:-100 85:700; alpha 0:255 75:255 85:0"},
    {.layer = FRONT, .image = &FX_C_CLOUD, .x = -277, .y = -80, .colour = kDust, .tracks = "x 0:-277 8:1024 10:1024; alpha 0:0 0.5:128 10:128"},
    {.layer = FRONT, .image = &FX_C_CLOUD, .x = -328, .y = 41, .colour = kDust, .phase = 3.5,
     .tracks = "x 0:-328 8:1024 10:1024; alpha 0:0 0.5:128 10:128"},
    {.layer = FRONT, .image = &FX_C_CLOUD, .x = 0, .y = 193, .colour = kDust, .tracks = "x 0:0 4:1024 8:1024; alpha 0:0 0.5:128 8:128"},
};

const Cue kFranceCues[] = {{&SE_ENV_CAR, 4.5, false, 0.0}};

const Row kFrance[] = {
    {.x = 1024, .y = 50, .cels = DATA_ENTRY, .value = kFlyingBird},
    LIGHT_BEAMS(kDayLight),
    {.layer = FRONT, .image = &FX_C_SMOKE, .x = 232, .y = 312, .cels = OFFSET},
    {.image = &FX_C_DOG, .cels = OFFSET,
     .tracks = "x 0:1020 25:597 35:582 41:543 50:543; y 0:612 25:426 35:344 41:322 50:322; scale 0:1 25:0.85 35:0.7 41:0.6 50:0.6"},
    {.image = &GC4_CAR1, .tracks = "x 0:350 4:1024 9:1024; y 0:385 4:700 9:700; scale 0:0.7 3:1 9:1"},
    {.image = &GC4_CAR2, .phase = 4.5, .tracks = "x 0:350 4:1024 9:1024; y 0:385 4:700 9:700; scale 0:0.7 3:1 9:1"},
    {.layer = FRONT, .image = &GC4_TREE, .x = 435, .y = 440},
    FLOWER_PAIR(FRONT, GC4_FLOWER2, 452, 453, 0),
    FLOWER_PAIR(FRONT, GC4_FLOWER2, 668, 362, 25),
    FLOWER_PAIR(FRONT, GC4_FLOWER2, -43, 397, 75),
    FLOWER_PAIR(BACK, GC4_FLOWER2, 358, 118, 113),
    FLOWER_PAIR(BACK, GC4_FLOWER2, 555, 101, 213),
    FLOWER_PAIR(FRONT, GC4_FLOWER, 32, 486, 375),
    FLOWER_PAIR(FRONT, GC4_FLOWER, 803, 388, 464),
    FLOWER_PAIR(BACK, GC4_FLOWER, 208, 217, 555),
};

const Cue kChinaCues[] = {{&SE_ENV_COW, 6.0, true, 3.0}, {&SE_ENV_WATER, 9.0, false, 0.0}};

const Row kChina[] = {
    {.layer = FRONT, .image = &GC5_WAVE, .x = 500, .y = 360, .cels = CYCLE, .value = 0.6, .rotation = 2.7,
     .tracks = "scale 0:0 1:1 4:1 5:0 8:0"},
    {.layer = FRONT, .image = &GC5_WAVE, .x = 440, .y = 375, .cels = CYCLE, .value = 0.6, .phase = 2,
     .tracks = "scale 0:0 1:1 4:1 5:0 10:0"},
    {.layer = FRONT, .image = &GC5_WAVE, .x = 570, .y = 435, .cels = CYCLE, .value = 0.6, .phase = 5,
     .tracks = "scale 0:0 1:1 4:1 5:0 8.5:0"},
    {.layer = FRONT, .image = &GC5_WAVE, .x = 620, .y = 470, .cels = CYCLE, .value = 0.6, .phase = 7,
     .tracks = "scale 0:0 1:1 4:1 5:0 9:0"},
    {.layer = FRONT, .image = &FX_C_SMOKE, .x = 133, .y = 129, .cels = OFFSET},
    {.layer = FRONT, .image = &GC5_COW, .x = 892, .y = 484, .cels = OFFSET},
    {.layer = FRONT, .image = &FX_C_HORSE_L, .x = 388, .y = 265, .cels = OFFSET},
    {.layer = FRONT, .image = &FX_C_HORSE, .x = 303, .y = 382, .cels = OFFSET, .value = 20},
    {.layer = FRONT, .image = &FX_C_HORSE, .x = 250, .y = 240, .cels = OFFSET, .value = 34, .scale = 0.35},
    {.layer = FRONT, .image = &FX_C_HORSE, .x = 928, .y = 210, .cels = OFFSET, .value = 12, .scale = 0.25},
};

#define SNOW(i) Row{.image = &GC6_SNOW, .x = -50 + 100 * (i), .y = -20, .cels = RANDOM_OFFSET}
// The five cars driving one path one after the other.
#define FIVE_CARS(layer_, path, p1, p2, p3, p4, p5)                                                            \
    Row{.layer = layer_, .image = &FX_C_CAR1, .phase = p1, .tracks = path},                                    \
        Row{.layer = layer_, .image = &FX_C_CAR2, .phase = p2, .tracks = path},                                \
        Row{.layer = layer_, .image = &FX_C_CAR3, .phase = p3, .tracks = path},                                \
        Row{.layer = layer_, .image = &FX_C_CAR4, .phase = p4, .tracks = path},                                \
        Row{.layer = layer_, .image = &FX_C_CAR5, .phase = p5, .tracks = path}

constexpr const char* kMoscowCarPath = "x 0:407 7:64 10:64; y 0:310 7:350 10:350; alpha 0:0 0.5:255 10:255";
// A plane coming in from the right, shrinking and fading into the distance.
constexpr const char* kLandingPlanePath =
    "x 0:1024 35:470 44:470; alpha 0:255 28:255 35:0 44:0; scale 0:1 28:0.8 35:0.3 44:0.3";

const Row kRussia[] = {
    SNOW(0), SNOW(1), SNOW(2), SNOW(3), SNOW(4), SNOW(5), SNOW(6), SNOW(7), SNOW(8), SNOW(9), SNOW(10),
    {.image = &GC6_PLANE3, .x = 0, .y = 100, .tracks = kLandingPlanePath},
    FIVE_CARS(BACK, kMoscowCarPath, 0, 2, 4, 6, 8),
    {.image = &FX_C_SMOKE, .x = 440, .y = 263, .cels = OFFSET},
    {.image = &FX_C_SMOKE, .x = 766, .y = 304, .cels = OFFSET},
    {.image = &FX_C_SMOKE, .x = 890, .y = 324, .cels = OFFSET},
};

const Light kRussiaLights[] = {
    {0, -3, 288},  {0, 16, 257},  {0, 75, 543},  {0, 101, 507}, {0, 176, 527}, {0, 205, 485}, {0, 80, 152},
    {0, 121, 184}, {0, 170, 238}, {0, 231, 209}, {0, 314, 223}, {0, 298, 204}, {0, 463, 218}, {0, 643, 229},
    {0, 745, 223}, {0, 787, 254}, {0, 864, 241}, {0, 716, 422}, {0, 763, 454}, {0, 830, 490}, {0, 864, 491},
    {0, 912, 532}, {0, 287, 411}, {0, 333, 449}, {0, 425, 472}, {0, 509, 545},
};

constexpr const char* kStreetCarPath = "x 0:372 10:-47 15:-47; y 0:479 10:552 15:552";

const Row kUsa[] = {
    LIGHT_BEAMS(kCityLight),
    {.layer = FRONT, .image = &GC7_NEON, .x = 232, .y = 425, .cels = OFFSET, .rotation = 0.2},
    {.layer = FRONT, .image = &GC7_NEON1, .x = 892, .y = 275, .cels = OFFSET},
    {.layer = FRONT, .image = &GC7_NEON2, .x = 562, .y = 372, .cels = OFFSET, .value = 15},
    {.layer = FRONT, .image = &GC7_NEON3, .x = 218, .y = 377, .cels = OFFSET, .value = 30},
    {.layer = FRONT, .image = &GC7_NEON4, .x = 56, .y = 299, .cels = OFFSET, .value = 45},
    {.image = &GC7_LIGHT, .x = 66, .y = 235},
    {.image = &GC7_HELICOPTER, .x = 322, .y = 203, .cels = OFFSET, .tracks = "x 0:322 40:917 50:917; alpha 0:255 30:255 40:0 50:0"},
    {.image = &GC7_PLANE, .x = 0, .y = 170, .tracks = kLandingPlanePath},
    {.image = &GC7_PLANE, .x = 0, .y = 100, .mirrored = true, .phase = 25,
     .tracks = "x 0:0 35:670 44:670; alpha 0:255 28:255 35:0 44:0; scale 0:1 28:0.8 35:0.3 44:0.3"},
    FIVE_CARS(FRONT, kStreetCarPath, 0, 1.5, 6, 10, 12),
    {.image = &FX_C_PPL2, .cels = OFFSET, .tracks = "x 0:393 8:300 13:277 20:277; y 0:505 8:536 13:580 20:580"},
    {.image = &FX_C_PPL3, .cels = OFFSET, .mirrored = true, .tracks = "x 0:115 10:200 17:200; y 0:606 10:540 17:540"},
    {.image = &FX_C_PPL1, .cels = OFFSET, .mirrored = true,
     .tracks = "x 0:-30 18:170 40:369 42:369; y 0:576 18:526 40:490 42:490"},
    {.image = &FX_C_PPL2, .cels = OFFSET,
     .tracks = "x 0:321 18:207 32:92 37:64 40:64; y 0:537 18:537 32:564 37:592 40:592"},
};

const Light kUsaLights[] = {
    {1, 68, 350},   {1, 157, 268},  {1, 269, 296},  {1, 420, 316}, {1, 505, 379},  {1, 704, 438}, {1, 836, 498},
    {1, 981, 425},  {1, 114, 430},  {1, 213, 410},  {1, 385, 406}, {1, 471, 427},  {1, 637, 417}, {1, 802, 328},
    {1, 939, 360},  {2, 13, 304},   {2, 141, 378},  {2, 347, 386}, {2, 569, 436},  {2, 805, 440}, {2, 966, 523},
    {2, 40, 440},   {2, 221, 306},  {2, 479, 300},  {2, 839, 334}, {2, 899, 416},  {2, 994, 321}, {3, 1001, 274},
    {3, 944, 416},  {3, 758, 434},  {3, 549, 379},  {3, 412, 433}, {3, 328, 435},  {3, 234, 452}, {3, 92, 392},
    {3, 13, 377},   {3, 910, 289},  {3, 843, 383},  {3, 622, 479}, {3, 512, 341},  {3, 362, 269}, {3, 287, 334},
    {3, 157, 466},  {3, 72, 482},
};

// Drawn over the city lights.
const Row kUsaLast[] = {
    {.layer = FRONT, .image = &GC7_TREE, .x = 1, .y = 436},
};

#undef FLAPPING_BIRDS
#undef LIGHT_BEAMS
#undef FLOWER_PAIR
#undef SNOW
#undef FIVE_CARS

template <class T, size_t N>
constexpr int Count(const T (&)[N])
{
    return int(N);
}

const Script kScripts[] = {
    {kBirdCues, 1, kEngland, Count(kEngland), nullptr, 0, nullptr, 0},
    {kBirdCues, 1, kGermany, Count(kGermany), nullptr, 0, nullptr, 0},
    {nullptr, 0, kJapan, Count(kJapan), nullptr, 0, nullptr, 0},
    {kIndiaCues, Count(kIndiaCues), kIndia, Count(kIndia), nullptr, 0, nullptr, 0},
    {kFranceCues, Count(kFranceCues), kFrance, Count(kFrance), nullptr, 0, nullptr, 0},
    {kChinaCues, Count(kChinaCues), kChina, Count(kChina), nullptr, 0, nullptr, 0},
    {nullptr, 0, kRussia, Count(kRussia), kRussiaLights, Count(kRussiaLights), nullptr, 0},
    {nullptr, 0, kUsa, Count(kUsa), kUsaLights, Count(kUsaLights), kUsaLast, Count(kUsaLast)},
};

} // namespace

const CountryScene::Script* CountryScene::ScriptOf(int country)
{
    if (country < 0 || country >= Count(kScripts))
        return nullptr;
    return &kScripts[country];
}

} // namespace Quor
