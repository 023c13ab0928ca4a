This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
    0.8
    1.2
 
     14
 
         1         1
         8
   1
         2         1
         9
   1
         3         1
        10
   1
         4         1
        11
   1
         5         1
        12
   1
         6         1
        13
   1
         7         1
        14
   1
         8         1
         1
   1
         9         1
         2
   1
        10         1
         3
   1
        11         1
         4
   1
        12         1
         5
   1
        13         1
         6
   1
        14         1
         7
   1
