#include "velkport/editor/ui/EditorKeyHandler.h"

#include <QKeyEvent>

namespace velkport::editor {

bool EditorKeyHandler::handle(const QKeyEvent& k, bool press, bool editing) const {
    switch (k.key()) {
        case Qt::Key_Z:
            return (k.modifiers() & Qt::ControlModifier) != 0;  // no undo
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (editing) {
                if (!press)
                    hooks_.focusTree();
                return false;  // the label editor takes it (commits the name)
            }
            return true;
        case Qt::Key_Escape:
            return !editing;  // the window does not close on Esc
        case Qt::Key_Up:
        case Qt::Key_PageUp:
        case Qt::Key_Down:
        case Qt::Key_PageDown:
            if (!press)
                hooks_.updatePositions();
            return false;
        case Qt::Key_Delete:
            if (!editing && !press && !k.isAutoRepeat() && hooks_.deleteEnabled()) {
                hooks_.deleteAction();
                return true;
            }
            return false;
        case Qt::Key_F1:
            if (press) {
                hooks_.openHelp();
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace velkport::editor
