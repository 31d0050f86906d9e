// Works out which time contexts (part of the day, weekday, holidays) are
// active at the moment of a request, from Clock::now() in local time.
// Schedule, message-history, location and contact contexts need data the
// engine does not receive and are never active. Stateless.
#pragma once

#include <ctime>
#include <set>
#include <string>

#include "Varnex/ContextType.h"

namespace Varnex {

class ContextAnalyzer {
public:
    virtual ~ContextAnalyzer() = default;

    void getActiveContext(const std::string& sender, std::set<ContextType>& contexts) const;

    void getActiveTimeDayContext(const std::string& sender, std::set<ContextType>& contexts) const;
    void getActiveTimeDayOfWeekContext(const std::string& sender, std::set<ContextType>& contexts) const;
    void getActiveTimeDateContext(const std::string& sender, std::set<ContextType>& contexts) const;
    void getActiveScheduleContext(const std::string&, std::set<ContextType>&) const {}
    void getActiveSmsContext(const std::string&, std::set<ContextType>&) const {}
    void getActiveLocationContext(const std::string&, std::set<ContextType>&) const {}
    void getActiveContactScheduleContext(const std::string&, std::set<ContextType>&) const {}

    // The same rules for given local calendar fields.
    static void dayContexts(const std::tm& tm, std::set<ContextType>& contexts);
    static void dayOfWeekContexts(const std::tm& tm, std::set<ContextType>& contexts);
    static void dateContexts(const std::tm& tm, std::set<ContextType>& contexts);
};

// Plain calendar entry record; not used by the reply pipeline.
class ScheduleObject {
public:
    std::string getName() const { return name; }
    void setName(std::string v) { name = std::move(v); }
    std::string getFreeTextAddress() const { return freeTextAddress; }
    void setFreeTextAddress(std::string v) { freeTextAddress = std::move(v); }
    std::string getDescription() const { return description; }
    void setDescription(std::string v) { description = std::move(v); }
    double getLatitude() const { return latitude; }
    void setLatitude(double v) { latitude = v; }
    double getLongitude() const { return longitude; }
    void setLongitude(double v) { longitude = v; }
    bool isIsFavorite() const { return isFavorite; }
    void setIsFavorite(bool v) { isFavorite = v; }
    std::string getStartTime() const { return startTime; }
    void setStartTime(std::string v) { startTime = std::move(v); }
    std::string getEndTime() const { return endTime; }
    void setEndTime(std::string v) { endTime = std::move(v); }
    bool isIsAllday() const { return isAllday; }
    void setIsAllday(bool v) { isAllday = v; }

private:
    std::string name;
    std::string freeTextAddress;
    std::string description;
    double latitude = 0;
    double longitude = 0;
    bool isFavorite = false;
    std::string startTime;
    std::string endTime;
    bool isAllday = false;
};

}  // namespace Varnex
