#pragma once

#include <QString>

class QPainter;

// Text drawn as an outlined, glowing, gradient-filled path. (x, y) is the
// top-left of the text in the painter's coordinates; size is the em size in
// pixels. The gradients are anchored to fixed y positions of the painter's
// coordinates, not to the text. All three return true.
bool DrawTitleText(QPainter& painter, const QString& text, double x, double y, double size);
bool DrawWarmText(QPainter& painter, const QString& text, double x, double y, double size);
bool DrawCoolText(QPainter& painter, const QString& text, double x, double y, double size);
