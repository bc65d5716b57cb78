// Found first on the include path of the model's sources in the Windows
// build: model/ is pure logic, built natively as well, and must not include
// windows.h, directly or through a header it includes.
#error "model/ must build without windows.h"
