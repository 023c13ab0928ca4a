This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
      1
    1.2
 
     15
 
         1         1
         2
   1
         2         2
         1         3
   1   1
         3         1
         2
   1
         4         0


         5         0


         6         0


         7         0


         8         0


         9         0


        10         0


        11         0


        12         0


        13         0


        14         0


        15         0


