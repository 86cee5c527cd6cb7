#pragma once
// Numeric ids of the resources the executable carries. The resource script cannot read C++, so
// resource_ids.rh repeats these values as macros for it alone; a test holds the two together.

namespace tarnwick::resources {

// The program's icon: the first icon group, so Explorer and the taskbar show it.
constexpr int kMainIcon = 1;

// The two pictures of the monitoring state, in image-list order.
constexpr int kMonitoringOffIcon = 200;
constexpr int kMonitoringOnIcon = 201;

// The tray icon's own image, shown until an image list provides one.
constexpr int kTrayIcon = 210;
// The state picture shown before monitoring is first switched.
constexpr int kStatePicture = 220;

// Browser toolbar button images. Their numbers are public: the browser finds them through
// "<exe path>,1000" and "<exe path>,1001" in the registry.
constexpr int kToolbarHotIcon = 1000;
constexpr int kToolbarIcon = 1001;

// The application manifest and the version resource both use the id Windows looks for.
constexpr int kManifest = 1;
constexpr int kVersionInfo = 1;

}  // namespace tarnwick::resources
