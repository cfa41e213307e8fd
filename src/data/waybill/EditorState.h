#pragma once

// What lives beside the waybill editor while a waybill is being composed.
struct EditorState {
    double startReading = 0;
    int daysInMonth = 0;
    int tripTypeCount = 0;
    bool confirmed = false;
};
