# Outside tools of the stand-in platform: sample disk generator,
# StreamMgrCli and filePes.
