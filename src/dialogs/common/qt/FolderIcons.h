#pragma once
// The pictures of a closed and an open folder for the tree of groups. The styles' own folder icons
// (QStyle::SP_DirClosedIcon and SP_DirOpenIcon) are nearly identical in Fusion, so an expanded group
// could not be told from a collapsed one by its picture; these are drawn here and differ in shape and
// colour: a closed folder is one flat yellow body with a tab, an open one shows a white sheet inside
// and its front flap tilted open.

#include <QIcon>

namespace orva::dialogs {

QIcon ClosedFolderIcon();
QIcon OpenFolderIcon();

}  // namespace orva::dialogs
