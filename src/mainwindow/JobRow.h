#pragma once

// Columns of the job list InputListView: an unnamed check-box column, then the seven JobRow
// fields in their fixed order. A row's check state sits in column jcCheck.
enum JobColumn {
    jcCheck = 0,
    jcInputPath = 1,      // input folder with a trailing separator
    jcOutputPath = 2,
    jcFilename = 3,       // input file name
    jcDescription = 4,    // format, channels, bit rate, sample rate and duration
    jcDuration = 5,       // whole seconds
    jcCmd = 6,            // the job's complete command line
    jcOutputFilename = 7,
    jcColumnCount = 8
};
