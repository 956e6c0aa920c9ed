// Draws the icon strip of the data source lists: five 16 by 16 cells side by
// side, pixel by pixel, saved as a 24-bit PNG. Run once when the artwork
// changes; the program itself loads the PNG from its resources.
//
//   iconstrip controls/icons/icon-strip.png

#include <QColor>
#include <QHash>
#include <QImage>
#include <QString>
#include <QTextStream>

#include <array>
#include <cstdio>

namespace {

constexpr int CellSize = 16;
using Cell = std::array<const char *, CellSize>;

// The background is the list's transparency key: the control treats the
// colour of the strip's top-left pixel as see-through.
const QHash<char, QColor> Palette = {
    {'.', QColor(255, 0, 255)}, // background (transparency key)
    {'#', QColor(32, 32, 32)}, // outline
    {'n', QColor(0, 96, 208)}, // network node
    {'l', QColor(96, 96, 96)}, // link
    {'b', QColor(40, 60, 120)}, // disk body
    {'s', QColor(192, 192, 192)}, // disk shutter
    {'d', QColor(64, 64, 64)}, // shutter slot
    {'w', QColor(255, 255, 255)}, // paper
    {'g', QColor(60, 160, 60)}, // land
    {'c', QColor(80, 150, 230)}, // water
    {'r', QColor(200, 40, 40)}, // road
    {'t', QColor(220, 230, 240)}, // drum top
    {'y', QColor(160, 180, 200)}, // drum side
    {'x', QColor(16, 32, 80)}, // lettering
};

const Cell Blank = {
    "................", "................", "................", "................",
    "................", "................", "................", "................",
    "................", "................", "................", "................",
    "................", "................", "................", "................",
};

const Cell LinkedNodes = {
    ".##..........##.", "#nn#llllllll#nn#", "#nn#........#nn#", ".##l........l##.",
    "....l......l....", ".....l....l.....", "......l##l......", "......#nn#......",
    "......#nn#......", "......l##l......", ".....l....l.....", "....l......l....",
    ".##l........l##.", "#nn#........#nn#", "#nn#llllllll#nn#", ".##..........##.",
};

const Cell DiskWithMap = {
    "###############.", "#bbbsssssddsbbb#", "#bbbsssssddsbbb#", "#bbbsssssddsbbb#",
    "#bbbsssssddsbbb#", "#bbbssssssssbbb#", "#bbbbbbbbbbbbbb#", "#bwwwwwwwwwwwwb#",
    "#bwggwwwccwwwwb#", "#bwgggwwwcwggwb#", "#bwggrrrrcrrgwb#", "#bwwgwwwwccwgwb#",
    "#bwwwwwwwwcwwwb#", "#bwwggwwwwcwwwb#", "#bwwwwwwwwwwwwb#", "################",
};

const Cell DatabaseDrum = {
    ".....######.....", "...##tttttt##...", "..#tttttttttt#..", "..###tttttt###..",
    "..#yy######yy#..", "..#yyyyyyyyyy#..", "..#yyyyyyyyyy#..", "..#yxxyyyxxyy#..",
    "..#yxyxyyxyxy#..", "..#yxyxyyxxyy#..", "..#yxyxyyxyxy#..", "..#yxxyyyxxyy#..",
    "..#yyyyyyyyyy#..", "..#yyyyyyyyyy#..", "...##yyyyyy##...", ".....######.....",
};

const Cell BinaryRows = {
    "................", ".x..xxx..x...x..", "xx..x.x.xx..xx..", ".x..x.x..x...x..",
    "xxx.xxx.xxx.xxx.", "................", "xxx..x..xxx.xxx.", "x.x.xx..x.x.x.x.",
    "x.x..x..x.x.x.x.", "xxx.xxx.xxx.xxx.", "................", ".x...x..xxx..x..",
    "xx..xx..x.x.xx..", ".x...x..x.x..x..", "xxx.xxx.xxx.xxx.", "................",
};

// In the order of their icon numbers.
const std::array<const Cell *, 5> Cells = {&Blank, &LinkedNodes, &DiskWithMap, &DatabaseDrum, &BinaryRows};

bool drawCell(QImage &strip, int number, const Cell &cell)
{
    for (int y = 0; y < CellSize; ++y) {
        for (int x = 0; x < CellSize; ++x) {
            const auto colour = Palette.constFind(cell[y][x]);
            if (colour == Palette.constEnd())
                return false;
            strip.setPixelColor(number * CellSize + x, y, *colour);
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: iconstrip OUTPUT.png\n";
        return 2;
    }
    QImage strip(int(Cells.size()) * CellSize, CellSize, QImage::Format_RGB888);
    for (int number = 0; number < int(Cells.size()); ++number) {
        if (!drawCell(strip, number, *Cells[number])) {
            err << "cell " << number << " uses a colour that is not in the palette\n";
            return 1;
        }
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    if (!strip.save(output, "PNG")) {
        err << "cannot write " << output << '\n';
        return 1;
    }
    return 0;
}
