// Renders one SVG drawing of the program's icons into the PNG file the
// resources name, at the given size, with a transparent background.
//
//   render-icon IN.svg OUT.png WIDTH HEIGHT

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "usage: render-icon IN.svg OUT.png WIDTH HEIGHT\n");
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render-icon: %s is not a drawing\n", qPrintable(args[1]));
        return 1;
    }
    const int width = args[3].toInt();
    const int height = args[4].toInt();
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "render-icon: bad size\n");
        return 2;
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(args[2], "PNG")) {
        std::fprintf(stderr, "render-icon: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
