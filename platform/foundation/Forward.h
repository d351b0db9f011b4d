#pragma once

#include <map>
#include <string>
#include <vector>

namespace foundation {

class Clock;
class RealClock;
class ManualClock;
class RunLoop;
class Timer;
class DispatchQueue;
class OnceFlag;
class OperationQueue;
struct Notification;
class NotificationCenter;
class UserDefaults;
class Paths;
class BundleInfo;
class LogCapture;
class Value;
class Date;
struct Exception;

using Array = std::vector<Value>;
using Map = std::map<std::string, Value>;

} // namespace foundation
