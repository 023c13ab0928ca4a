This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
      1
    1.2
 
     24
 
         1         1
         2
   1
         2         0


         3         1
         4
   1
         4         0


         5         1
         6
   1
         6         0


         7         1
         8
   1
         8         0


         9         1
        10
   1
        10         0


        11         1
        12
   1
        12         0


        13         1
        14
   1
        14         0


        15         1
        16
   1
        16         0


        17         1
        18
   1
        18         0


        19         1
        20
   1
        20         0


        21         1
        22
   1
        22         0


        23         1
        24
   1
        24         0


