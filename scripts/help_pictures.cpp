// Draws the hint window's pictures into resources/help/*.png. Run it again after changing a
// picture and commit the files it writes:
//   g++ -std=c++20 -fPIC scripts/help_pictures.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/help_pictures
//   QT_QPA_PLATFORM=offscreen /tmp/help_pictures resources/help
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>

namespace {

const QColor kNavy(0, 0, 128), kRed(255, 0, 0), kBlue(0, 0, 255), kFace(212, 208, 200), kYellow(255, 255, 192);

QImage Canvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(kYellow);
    return img;
}

// A raised tool button with a glyph drawn in a 0..1 box.
void Button(QPainter& p, QRectF r, const std::function<void(QPainter&, QRectF)>& glyph, bool down = false)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(down ? QColor(235, 232, 226) : kFace);
    p.drawRect(r);
    p.setPen(down ? QColor(128, 128, 128) : Qt::white);
    p.drawLine(r.topLeft(), r.topRight() - QPointF(1, 0));
    p.drawLine(r.topLeft(), r.bottomLeft() - QPointF(0, 1));
    p.setPen(down ? Qt::white : QColor(128, 128, 128));
    p.drawLine(r.bottomLeft() - QPointF(0, 1), r.bottomRight() - QPointF(1, 1));
    p.drawLine(r.topRight() - QPointF(1, 0), r.bottomRight() - QPointF(1, 1));
    p.setPen(QPen(kNavy, 1.3));
    p.setBrush(Qt::NoBrush);
    glyph(p, r.adjusted(3, 3, -3, -3));
    p.restore();
}

void ArrowHead(QPainter& p, QPointF tip, QPointF from, double size)
{
    const QPointF d = tip - from;
    const double len = std::hypot(d.x(), d.y());
    if (len <= 0)
        return;
    const QPointF u = d / len, n(-u.y(), u.x());
    p.save();
    p.setBrush(p.pen().color());
    p.drawPolygon(QPolygonF({tip, tip - u * size + n * size / 2, tip - u * size - n * size / 2}));
    p.restore();
}

void Mouse(QPainter& p, QRectF r, bool left)
{
    QPainterPath body;
    body.addRoundedRect(r, r.width() / 2.2, r.width() / 2.2);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(body);
    const double split = r.top() + r.height() * 0.42;
    QPainterPath button;
    const QRectF half = left ? QRectF(r.left(), r.top(), r.width() / 2, split - r.top())
                             : QRectF(r.center().x(), r.top(), r.width() / 2, split - r.top());
    button.addRect(half);
    p.setClipPath(body);
    p.fillPath(button, kRed);
    p.setClipping(false);
    p.drawLine(QPointF(r.left(), split), QPointF(r.right(), split));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), split));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
}

QImage HelpBanner()
{
    QImage img = Canvas(130, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kNavy, 1));
    p.setBrush(QColor(0, 0, 160));
    p.drawRoundedRect(QRectF(0.5, 0.5, 129, 15), 4, 4);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(3, 2, 12, 12));
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kNavy);
    p.drawText(QRectF(3, 2, 12, 12), Qt::AlignCenter, QStringLiteral("?"));
    p.setPen(Qt::white);
    p.drawText(QRectF(20, 0, 108, 16), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Help Topics"));
    return img;
}

QImage FileNew()
{
    QImage img = Canvas(48, 48);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A fresh sheet with a few lines of a schematic, and a folder in front.
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{6, 2}, {28, 2}, {36, 10}, {36, 40}, {6, 40}}));
    p.drawPolyline(QPolygonF({{28, 2}, {28, 10}, {36, 10}}));
    p.setPen(QPen(kNavy, 1.2));
    p.drawLine(QPointF(10, 16), QPointF(30, 16));
    p.drawLine(QPointF(20, 16), QPointF(20, 30));
    p.drawRect(QRectF(16, 22, 8, 5));
    p.drawLine(QPointF(10, 34), QPointF(30, 34));
    p.setPen(QColor(120, 90, 0));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(22, 30, 24, 16));
    p.drawRect(QRectF(22, 27, 10, 4));
    return img;
}

QImage ToolBar()
{
    const int n = 12, cell = 14;
    QImage img = Canvas(n * cell, cell);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    std::vector<std::function<void(QPainter&, QRectF)>> glyphs = {
        [](QPainter& q, QRectF r) {   // select arrow
            q.setBrush(Qt::black);
            q.drawPolygon(QPolygonF({r.topLeft(), r.topLeft() + QPointF(0, 8), r.topLeft() + QPointF(5, 5)}));
        },
        [](QPainter& q, QRectF r) { q.drawLine(r.bottomLeft(), r.topRight()); },
        [](QPainter& q, QRectF r) { q.drawPolyline(QPolygonF({r.bottomLeft(), r.center(), {r.right(), r.center().y()}, r.topRight()})); },
        [](QPainter& q, QRectF r) { q.drawRect(r.adjusted(0, 1, 0, -1)); },
        [](QPainter& q, QRectF r) { q.drawEllipse(r.adjusted(0, 2, 0, -2)); },
        [](QPainter& q, QRectF r) { q.drawEllipse(r); },
        [](QPainter& q, QRectF r) { q.drawArc(r.adjusted(0, 0, r.width(), r.height()), 90 * 16, 90 * 16); },
        [](QPainter& q, QRectF r) {
            QPainterPath s;
            s.moveTo(r.left(), r.center().y());
            s.cubicTo(r.left() + 2, r.top() - 2, r.center().x() - 1, r.top() - 2, r.center().x(), r.center().y());
            s.cubicTo(r.center().x() + 1, r.bottom() + 2, r.right() - 2, r.bottom() + 2, r.right(), r.center().y());
            q.drawPath(s);
        },
        [](QPainter& q, QRectF r) {
            q.drawLine(r.bottomLeft(), r.topRight());
            ArrowHead(q, r.topRight(), r.bottomLeft(), 4);
        },
        [](QPainter& q, QRectF r) {
            q.setBrush(q.pen().color());
            q.drawEllipse(r.center(), 2.5, 2.5);
        },
        [](QPainter& q, QRectF r) {
            QFont f(QStringLiteral("Liberation Serif"));
            f.setPixelSize(10);
            f.setBold(true);
            q.setFont(f);
            q.drawText(r.adjusted(-2, -2, 2, 2), Qt::AlignCenter, QStringLiteral("A"));
        },
        [](QPainter& q, QRectF r) {   // component: a resistor
            q.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.left() + 2, r.center().y()));
            q.drawRect(QRectF(r.left() + 2, r.center().y() - 2, r.width() - 4, 4));
            q.drawLine(QPointF(r.right() - 2, r.center().y()), QPointF(r.right(), r.center().y()));
        },
    };
    for (int i = 0; i < n; ++i)
        Button(p, QRectF(i * cell, 0, cell, cell), glyphs[static_cast<std::size_t>(i)], i == 1);
    return img;
}

void Chip(QPainter& p, QRectF r)
{
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(3, 2, -3, -2));
    for (int i = 0; i < 3; ++i) {
        const double y = r.top() + 5 + i * (r.height() - 10) / 2;
        p.drawLine(QPointF(r.left(), y), QPointF(r.left() + 3, y));
        p.drawLine(QPointF(r.right() - 3, y), QPointF(r.right(), y));
    }
}

QImage Comp()
{
    QImage img = Canvas(100, 30);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Select, then place: the picker button, the place button, and a placed component.
    Button(p, QRectF(0, 3, 24, 24), [](QPainter& q, QRectF r) {
        Chip(q, r.adjusted(0, 0, -4, -4));
        q.setPen(QPen(Qt::black, 1.5));
        q.drawEllipse(QRectF(r.right() - 8, r.bottom() - 8, 6, 6));
        q.drawLine(QPointF(r.right() - 3, r.bottom() - 3), QPointF(r.right(), r.bottom()));
    });
    Button(p, QRectF(28, 3, 24, 24), [](QPainter& q, QRectF r) { Chip(q, r); }, true);
    p.setPen(QPen(kNavy, 1.2));
    p.drawLine(QPointF(56, 15), QPointF(66, 15));
    ArrowHead(p, QPointF(70, 15), QPointF(56, 15), 5);
    p.setPen(QPen(kNavy, 1.4));
    Chip(p, QRectF(74, 3, 24, 24));
    return img;
}

void RotGlyph(QPainter& q, QRectF r, bool clockwise)
{
    q.drawArc(r.adjusted(2, 2, -2, -2), 90 * 16, (clockwise ? -270 : 270) * 16);
    const QPointF tip(r.center().x(), r.top() + 2);
    ArrowHead(q, tip, tip + QPointF(clockwise ? -4 : 4, 0), 5);
}

QImage RotFlip()
{
    QImage img = Canvas(60, 60);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Button(p, QRectF(1, 1, 28, 28), [](QPainter& q, QRectF r) {
        q.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
        ArrowHead(q, QPointF(r.left(), r.center().y()), QPointF(r.center().x() - 2, r.center().y()), 6);
        ArrowHead(q, QPointF(r.right(), r.center().y()), QPointF(r.center().x() + 2, r.center().y()), 6);
    });
    Button(p, QRectF(31, 1, 28, 28), [](QPainter& q, QRectF r) {
        q.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
        ArrowHead(q, QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.center().y() - 2), 6);
        ArrowHead(q, QPointF(r.center().x(), r.bottom()), QPointF(r.center().x(), r.center().y() + 2), 6);
    });
    Button(p, QRectF(1, 31, 28, 28), [](QPainter& q, QRectF r) { RotGlyph(q, r, true); });
    Button(p, QRectF(31, 31, 28, 28), [](QPainter& q, QRectF r) { RotGlyph(q, r, false); });
    return img;
}

QImage MouseButton(bool left)
{
    QImage img = Canvas(40, 56);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(20, 10);
    cable.cubicTo(20, 2, 30, 6, 34, 0);
    p.drawPath(cable);
    Mouse(p, QRectF(6, 10, 28, 44), left);
    return img;
}

// A selected line with the handle boxes the window shows.
QImage Boxes(bool move)
{
    QImage img = Canvas(64, 56);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kRed, 1.5));
    if (move) {
        p.drawLine(QPointF(6, 46), QPointF(50, 14));
        p.fillRect(QRectF(25, 27, 7, 7), kBlue);
        p.setPen(QPen(Qt::black, 1.2));
        const QPointF c(28.5, 30.5);
        for (QPointF d : {QPointF(0, -1), QPointF(0, 1), QPointF(-1, 0), QPointF(1, 0)}) {
            p.drawLine(c + d * 5, c + d * 15);
            ArrowHead(p, c + d * 19, c + d * 12, 5);
        }
    } else {
        p.drawRect(QRectF(8, 12, 38, 28));
        p.fillRect(QRectF(5, 9, 7, 7), kRed);
        p.fillRect(QRectF(43, 37, 7, 7), kRed);
        p.setPen(QPen(Qt::black, 1.2));
        p.drawLine(QPointF(50, 44), QPointF(58, 52));
        ArrowHead(p, QPointF(61, 55), QPointF(52, 46), 5);
        p.setPen(QPen(kNavy, 1, Qt::DashLine));
        p.drawRect(QRectF(8, 12, 50, 40));
    }
    return img;
}

QImage SelRect()
{
    QImage img = Canvas(64, 56);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kRed, 1.4));
    p.drawLine(QPointF(12, 14), QPointF(40, 14));
    p.drawEllipse(QRectF(14, 22, 16, 12));
    p.drawLine(QPointF(36, 22), QPointF(36, 38));
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(5, 6, 44, 38));
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({{49, 44}, {49, 56}, {52, 53}, {55, 58}, {57, 57}, {54, 52}, {58, 52}}));
    return img;
}

QImage KeyPad()
{
    QImage img = Canvas(64, 44);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    auto key = [&](QRectF r, QPointF dir) {
        Button(p, r, [dir](QPainter& q, QRectF g) {
            const QPointF c = g.center();
            q.setPen(QPen(Qt::black, 1.4));
            q.drawLine(c - dir * 5, c + dir * 3);
            ArrowHead(q, c + dir * 7, c, 5);
        });
    };
    key(QRectF(22, 1, 20, 20), {0, -1});
    key(QRectF(1, 23, 20, 20), {-1, 0});
    key(QRectF(22, 23, 20, 20), {0, 1});
    key(QRectF(43, 23, 20, 20), {1, 0});
    return img;
}

QImage CopyPrint()
{
    QImage img = Canvas(86, 58);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Button(p, QRectF(0, 0, 28, 28), [](QPainter& q, QRectF r) {   // copy
        q.setPen(Qt::black);
        q.setBrush(Qt::white);
        q.drawRect(r.adjusted(1, 1, -8, -6));
        q.drawRect(r.adjusted(7, 6, -1, -1));
    });
    Button(p, QRectF(29, 0, 28, 28), [](QPainter& q, QRectF r) {   // paste
        q.setPen(QColor(120, 90, 0));
        q.setBrush(QColor(220, 180, 90));
        q.drawRect(r.adjusted(1, 2, -6, -1));
        q.setPen(Qt::black);
        q.setBrush(Qt::white);
        q.drawRect(r.adjusted(9, 9, -1, -1));
    });
    Button(p, QRectF(58, 0, 28, 28), [](QPainter& q, QRectF r) {   // delete
        q.setPen(QPen(kRed, 2.5));
        q.drawLine(r.topLeft() + QPointF(3, 3), r.bottomRight() - QPointF(3, 3));
        q.drawLine(r.topRight() + QPointF(-3, 3), r.bottomLeft() + QPointF(3, -3));
    });
    Button(p, QRectF(14, 30, 28, 28), [](QPainter& q, QRectF r) {   // duplicate
        q.drawRect(r.adjusted(1, 1, -8, -9));
        q.drawRect(r.adjusted(7, 9, -1, -1));
    });
    Button(p, QRectF(44, 30, 28, 28), [](QPainter& q, QRectF r) {   // print
        q.setPen(Qt::black);
        q.setBrush(Qt::white);
        q.drawRect(r.adjusted(5, 0, -5, -10));
        q.setBrush(QColor(160, 160, 160));
        q.drawRect(r.adjusted(0, 8, 0, -4));
        q.setBrush(Qt::white);
        q.drawRect(r.adjusted(5, 14, -5, 0));
    });
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/help");
    const std::vector<std::pair<const char*, QImage>> pictures = {
        {"HELPBMP", HelpBanner()}, {"FILENEW", FileNew()},       {"TOOLBAR", ToolBar()},
        {"COMP", Comp()},          {"ROTFLP", RotFlip()},        {"MOUSEL", MouseButton(true)},
        {"MOVEC", Boxes(true)},    {"RESZE", Boxes(false)},      {"SELREC", SelRect()},
        {"MOUSER", MouseButton(false)}, {"KEYPD", KeyPad()},     {"CPYPRT", CopyPrint()},
    };
    for (const auto& [name, img] : pictures)
        if (!img.convertToFormat(QImage::Format_RGB32).save(dir + "/" + name + ".png"))
            return 1;
    return 0;
}
