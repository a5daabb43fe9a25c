// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * test database
 */
  { "VERSION: 1.0 test", "-", "-", "Version information", "" },
  { "DEFAULT",
    "-", "-",
    "Default settings",
    "-v 5,raw16(raw16),Reallocated_Sector_Ct "
    "-v 9,raw24(raw8),Power_On_Hours "
    //  14-174 Unknown_Attribute
    "-v 177,raw48,Wear_Leveling_Count,SSD "
    "-v 194,tempminmax,Temperature_Celsius "
    "-v 231,raw48,Temperature_Celsius,HDD"
  },
  { "Test SSDs", // a comment after a string
    "TEST SSD " "[0-9]+GB", "", "",
    "-v 231,raw48,SSD_Life_Left "
    "-v 1,raw48:012345,Byte_Order_Test "
    "-v 9,msec24hour32 "
    "-F xerox"
  },
  { "Test HDDs, faulty firmware",
    "TESTHDD-.*", "BAD1|BAD2",
    "This firmware loses data; update it",
    "-v 194,10xCelsius -v 9,minutes"
  },
  { "Test HDDs", "TESTHDD-.*", "", "", "-v 9,halfminutes" },
  { "Broken pattern", "(unclosed", "", "", "" },
  { "Bad preset", "NOPE", "", "", "-v 300,raw48,Nope" },
  { "Three strings", "SHORT", "" },
  { "$Left out on purpose", "TEST SSD 1GB", "", "", "" },
