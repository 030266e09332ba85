#pragma once

#include <QStringList>
#include <QtGlobal>

class DbImage;
class QAction;

// The pop-up menu of a picture control on an entry screen:
//   "Dosyadan"     a picture file chosen in the picture-open dialog (bitmaps,
//                  JPEG and PNG), its bytes stored as they are;
//   "Clipborddan"  the picture on the clipboard; nothing at all without one.
// Either puts the record into edit state; the picture is written on post.
//
// A photograph larger than LargestStoredPicture (a phone camera's, say) is
// scaled down to at most ScaledSide pixels a side and stored as JPEG, and the
// clerk is told so. A missing, unreadable or unknown file is refused with a
// message naming it; the record is left as it was.
namespace PictureMenu {

constexpr qint64 LargestStoredPicture = 3 * 1024 * 1024;
constexpr int ScaledSide = 1600;

void install(DbImage* picture);

// The two actions, once installed.
QAction* fromFileAction(DbImage* picture);
QAction* fromClipboardAction(DbImage* picture);

// "Dosyadan" once the file is chosen; false when nothing was stored.
bool loadFile(DbImage* picture, const QString& path);
// "Clipborddan"; false when there was nothing to take or the record could
// not be edited.
bool pasteClipboard(DbImage* picture);

// The open dialog's file types, pictures of every kind first.
const QStringList& fileFilters();

} // namespace PictureMenu
