var kStrStart = 1;
var gTQPackaging = kStrStart;
var gTQPackaging = 0;
