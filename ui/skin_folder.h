#pragma once

#include <QString>

namespace nimbel {

// The skin root, absolute, without a trailing slash: NIMBEL_SKIN_DIR when set (tests, runs from the build
// tree), else skin/ beside the executable, else ../share/nimbel/skin when installed. Each call also makes
// it the QDir search path "skin", so style sheets can say url(skin:power/WIFI_down.png) whatever the
// working directory is.
QString SkinFolder();

// A skin file under the skin root: "XML/DeviceXml/mousedevice.ui" -> ".../skin/XML/DeviceXml/mousedevice.ui".
// The program names its skins as the files are named; only the supported-device tables keep the names of
// the original skin format ("XML\DeviceXml\mousedevice.xml"), which map to the same file. Names that
// climb out of the skin root ("..", absolute paths) give an empty string.
QString SkinFilePath(const QString& skinName);

// The skin-relative form of a skin file name, without the root ("XML/DeviceXml/mousedevice.ui"); empty
// for names that climb out of the skin root.
QString NormalizeSkinName(const QString& skinName);

}  // namespace nimbel
